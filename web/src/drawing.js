// Draws the engine's laid-out pages and charts (texts, rectangles, lines, polygons and
// polylines in device pixels) as SVG, so that the page shows and prints what the window's
// printer draws.

const svgNamespace = 'http://www.w3.org/2000/svg';
// Where a text's (x, y) lies: SVG's anchor along the line and its baseline.
const Anchors = {
  TopLeft: ['start', 'text-before-edge'],
  TopCentre: ['middle', 'text-before-edge'],
  TopRight: ['end', 'text-before-edge'],
  MiddleRight: ['end', 'central'],
};
const White = '#ffffff';

export function shape(tag, attributes, text) {
  const made = document.createElementNS(svgNamespace, tag);
  for (const [name, value] of Object.entries(attributes)) made.setAttribute(name, value);
  if (text !== undefined) made.textContent = text;
  return made;
}

const pairs = (points) => points.reduce((out, value, i) => (i % 2 ? `${out},${value}` : `${out} ${value}`), '').trim();

// items: the engine's list; pixelsPerPoint: the device's pixels in one point of text.
export function drawItems(items, width, height, pixelsPerPoint, label) {
  const svg = shape('svg', { viewBox: `0 0 ${width} ${height}`, role: 'img', 'aria-label': label });
  const backed = [];
  for (const item of items) {
    const p = item.points;
    if (item.kind === 'text') {
      const [anchor, baseline] = Anchors[item.anchor];
      const text = shape('text', { x: item.x, y: item.y, 'text-anchor': anchor, 'dominant-baseline': baseline,
        'font-family': `${item.font}, Helvetica, sans-serif`, 'font-size': item.points * pixelsPerPoint,
        fill: item.colour, 'xml:space': 'preserve' }, item.text);
      svg.append(text);
      if (item.background !== White) backed.push([text, item.background]);
    } else if (item.kind === 'rect') {
      svg.append(shape('rect', { x: p[0], y: p[1], width: p[2] - p[0], height: p[3] - p[1], fill: item.colour }));
    } else if (item.kind === 'line') {
      svg.append(shape('line', { x1: p[0], y1: p[1], x2: p[2], y2: p[3], stroke: item.colour,
        'stroke-width': item.width, 'stroke-linecap': 'butt' }));
    } else if (item.kind === 'polygon') {
      svg.append(shape('polygon', { points: pairs(p), fill: item.colour }));
    } else {
      svg.append(shape('polyline', { points: pairs(p), fill: 'none', stroke: item.colour, 'stroke-width': item.width,
        'stroke-linejoin': 'round' }));
    }
  }
  return { svg, backed };
}

// Opaque texts get their brush behind them once the SVG is in the document and measurable.
export function fillBackgrounds({ backed }) {
  for (const [text, colour] of backed) {
    const box = text.getBBox();
    text.before(shape('rect', { x: box.x, y: box.y, width: box.width, height: box.height, fill: colour }));
  }
}
