// The trend chart of a lake's trophic state: each index by year as points joined by a line,
// its Sen's slope as a dashed line, on axes of whole tens of the index, drawn as SVG from
// the engine's trends; downloadable as SVG and as PNG.
import { shape } from './drawing.js';
import { downloadBlob } from './download.js';

// The colour of each index, as the window draws it.
const Colours = { tsi_tp: '#c82828', tsi_chla: '#1e8c32', tsi_secchi: '#1e50c8', tsi_average: '#000000' };
const FullWidth = 720;
const NarrowWidth = 560;  // below, the legend goes under the plot
const Top = 40;
const Left = 56;
const LegendRow = 22;
const PngScale = 3;

// The years and index values the chart spans, the values widened to whole tens.
function extentOf(trends) {
  const years = trends.flatMap((trend) => trend.years);
  const values = trends.flatMap((trend) => trend.values);
  const low = Math.floor(Math.min(...values) / 10) * 10;
  return { first: Math.min(...years) - 0.5, last: Math.max(...years) + 0.5, low,
    high: Math.max(low + 10, Math.ceil(Math.max(...values) / 10) * 10) };
}

function layoutOf(width, trendCount) {
  const narrow = width < NarrowWidth;
  const legendRows = trendCount + 1;
  const plotHeight = narrow ? 240 : 336;
  const height = Top + plotHeight + 44 + (narrow ? legendRows * LegendRow + 8 : 0);
  const area = { left: Left, top: Top, right: width - (narrow ? 16 : 190), bottom: Top + plotHeight };
  // Each legend entry's place: beside the plot, or under it.
  const legendAt = (i) => (narrow
    ? { x: Left, y: area.bottom + 40 + i * LegendRow }
    : { x: area.right + 12, y: Top + 4 + i * LegendRow });
  return { width, height, area, legendAt };
}

function drawAxes(svg, layout, extent, at) {
  const { area } = layout;
  for (let value = extent.low; value <= extent.high; value += 10) {
    const y = at(extent.first, value).y;
    svg.append(shape('line', { x1: area.left, x2: area.right, y1: y, y2: y, stroke: '#dcdcdc' }));
    svg.append(shape('text', { x: area.left - 6, y: y + 4, 'text-anchor': 'end' }, String(value)));
  }
  svg.append(shape('rect', { x: area.left, y: area.top, width: area.right - area.left, height: area.bottom - area.top,
    fill: 'none', stroke: '#000' }));
  const years = extent.last - extent.first;
  const step = Math.max(1, Math.floor(years / (layout.width < NarrowWidth ? 5 : 10)));
  for (let year = Math.ceil(extent.first); year <= extent.last; year += step) {
    const x = at(year, extent.low).x;
    svg.append(shape('line', { x1: x, x2: x, y1: area.bottom, y2: area.bottom + 4, stroke: '#000' }));
    svg.append(shape('text', { x, y: area.bottom + 20, 'text-anchor': 'middle' }, String(year)));
  }
  const middle = (area.top + area.bottom) / 2;
  svg.append(shape('text', { x: 14, y: middle, 'text-anchor': 'middle', transform: `rotate(-90 14 ${middle})` },
    'Trophic state index'));
}

function drawTrend(svg, trend, at) {
  const colour = Colours[trend.index];
  const points = trend.years.map((year, i) => at(year, trend.values[i]));
  svg.append(shape('polyline', { points: points.map(({ x, y }) => `${x},${y}`).join(' '), fill: 'none', stroke: colour,
    'stroke-width': 1.5 }));
  for (const { x, y } of points) svg.append(shape('circle', { cx: x, cy: y, r: 3.5, fill: colour }));
  if (trend.slopePerDecade === null || trend.intercept === null) return;
  const slope = trend.slopePerDecade / 10;
  const [first, last] = [trend.years[0], trend.years[trend.years.length - 1]];
  const from = at(first, trend.intercept + slope * first);
  const to = at(last, trend.intercept + slope * last);
  svg.append(shape('line', { x1: from.x, y1: from.y, x2: to.x, y2: to.y, stroke: colour, 'stroke-width': 2,
    'stroke-dasharray': '7 4' }));
}

function drawLegend(svg, layout, trends) {
  const entries = [...trends.map((trend) => [trend.title, Colours[trend.index], null]), ["Sen's slope", '#000', '7 4']];
  entries.forEach(([text, colour, dashes], i) => {
    const { x, y } = layout.legendAt(i);
    svg.append(shape('line', { x1: x, x2: x + 18, y1: y + 8, y2: y + 8, stroke: colour, 'stroke-width': 2,
      ...(dashes ? { 'stroke-dasharray': dashes } : {}) }));
    svg.append(shape('text', { x: x + 24, y: y + 12 }, text));
  });
}

// The chart of a lake's trends (the engine's trendsJson) as wide as width allows; its text
// alternative is the title and the test's answers in words.
export function drawTrendChart(lakeTrends, title, width) {
  const layout = layoutOf(Math.min(FullWidth, Math.max(300, width)), lakeTrends.trends.length);
  const svg = shape('svg', { xmlns: 'http://www.w3.org/2000/svg', viewBox: `0 0 ${layout.width} ${layout.height}`,
    width: layout.width, height: layout.height, role: 'img', class: 'trend-chart',
    'font-family': 'Arial, Helvetica, sans-serif', 'font-size': 13 });
  svg.append(shape('title', {}, title), shape('desc', {}, lakeTrends.words));
  svg.append(shape('rect', { width: layout.width, height: layout.height, fill: '#fff' }));
  svg.append(shape('text', { x: layout.width / 2, y: 24, 'text-anchor': 'middle', 'font-size': 15 }, title));
  if (!lakeTrends.trends.length) {
    svg.append(shape('text', { x: layout.width / 2, y: layout.height / 2, 'text-anchor': 'middle' }, lakeTrends.words));
    return svg;
  }
  const extent = extentOf(lakeTrends.trends);
  const { area } = layout;
  const at = (year, value) => ({
    x: area.left + ((year - extent.first) / (extent.last - extent.first)) * (area.right - area.left),
    y: area.bottom - ((value - extent.low) / (extent.high - extent.low)) * (area.bottom - area.top),
  });
  drawAxes(svg, layout, extent, at);
  for (const trend of lakeTrends.trends) drawTrend(svg, trend, at);
  drawLegend(svg, layout, lakeTrends.trends);
  return svg;
}

const svgBlob = (svg) => new Blob([new XMLSerializer().serializeToString(svg)], { type: 'image/svg+xml' });

export function downloadSvg(svg, name) {
  downloadBlob(svgBlob(svg), `${name}.svg`);
}

// The same drawing at PngScale times its size, drawn by the browser onto a canvas.
export async function downloadPng(svg, name) {
  const url = URL.createObjectURL(svgBlob(svg));
  try {
    const image = new Image();
    image.src = url;
    await image.decode();
    const canvas = Object.assign(document.createElement('canvas'), {
      width: svg.viewBox.baseVal.width * PngScale, height: svg.viewBox.baseVal.height * PngScale });
    canvas.getContext('2d').drawImage(image, 0, 0, canvas.width, canvas.height);
    downloadBlob(await new Promise((resolve) => canvas.toBlob(resolve, 'image/png')), `${name}.png`);
  } finally {
    URL.revokeObjectURL(url);
  }
}
