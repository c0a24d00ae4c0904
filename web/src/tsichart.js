// The trophic state chart: for each index a band of the ecoregion's typical range and a
// marker at the lake's index, on Carlson's scale, drawn as SVG.
import { shape } from './drawing.js';

const Scale = { low: 0, high: 100 };
const Left = 120;
const Right = 20;
const RowHeight = 44;
const Top = 10;

const xOf = (index, Width) => {
  const clamped = Math.min(Scale.high, Math.max(Scale.low, index));
  return Left + ((clamped - Scale.low) / (Scale.high - Scale.low)) * (Width - Left - Right);
};

// values: the index boxes' texts (null before a calculation); ranges: [low, high] per row;
// labels: the captions of the rows.
export function drawTsiChart(container, values, ranges, labels) {
  // As wide as its place on the page, so that its texts keep their size on a phone.
  const Width = Math.min(720, Math.max(340, container.clientWidth || 640));
  const x = (index) => xOf(index, Width);
  const height = Top + RowHeight * labels.length + 30;
  const svg = shape('svg', { viewBox: `0 0 ${Width} ${height}`, role: 'img', class: 'tsi-chart' });
  const described = labels.map((label, row) =>
    `${label} ${values ? values[row] : ''}, ecoregion range ${ranges[row][0]} to ${ranges[row][1]}`);
  svg.setAttribute('aria-label', `Trophic state chart. ${described.join('; ')}.`);
  labels.forEach((label, row) => {
    const y = Top + row * RowHeight;
    svg.append(shape('text', { x: Left - 8, y: y + RowHeight / 2 + 5, 'text-anchor': 'end' }, label));
    const [low, high] = ranges[row];
    svg.append(shape('rect', { x: x(low), y: y + 10, width: Math.max(2, x(high) - x(low)), height: RowHeight - 20,
      class: 'range' }));
    const index = values ? Number(String(values[row]).replace(/,/g, '')) : NaN;
    if (values && Number.isFinite(index)) {
      svg.append(shape('circle', { cx: x(index), cy: y + RowHeight / 2, r: 7, class: 'index' }));
    }
  });
  const axisY = Top + RowHeight * labels.length;
  svg.append(shape('line', { x1: Left, x2: Width - Right, y1: axisY, y2: axisY, class: 'axis' }));
  // A mark every 10; on a narrow chart a number every 20, so that the numbers stay apart.
  const numberStep = Width < 480 ? 20 : 10;
  for (let tick = Scale.low; tick <= Scale.high; tick += 10) {
    svg.append(shape('line', { x1: x(tick), x2: x(tick), y1: axisY, y2: axisY + 5, class: 'axis' }));
    if (tick % numberStep === 0)
      svg.append(shape('text', { x: x(tick), y: axisY + 18, 'text-anchor': 'middle', class: 'tick' }, String(tick)));
  }
  const legend = document.createElement('p');
  legend.className = 'legend';
  legend.innerHTML = '<span class="swatch range"></span> Ecoregion Range <span class="swatch index"></span> Lake';
  container.replaceChildren(svg, legend);
}
