// Printing: the engine lays the report out on a printable area of A4 less its margins, in
// device pixels of 300 per inch; the page draws it as one SVG that the print stylesheet
// alone shows, sized to that area, so that Print and Save as PDF give one page.
import { drawItems, fillBackgrounds } from './drawing.js';

const DotsPerInch = 300;
const PrintableMillimetres = [190, 275];  // A4, 210 by 297 mm, less the print stylesheet's margins
const pixels = (millimetres) => Math.floor((millimetres / 25.4) * DotsPerInch);

// layout(width, height): the engine's items for a printable area of that many pixels.
export function printPage(layout, label) {
  const [width, height] = PrintableMillimetres.map(pixels);
  const page = drawItems(layout(width, height), width, height, DotsPerInch / 72, label);
  page.svg.setAttribute('width', `${PrintableMillimetres[0]}mm`);
  page.svg.setAttribute('height', `${PrintableMillimetres[1]}mm`);
  const holder = document.getElementById('PrintPage');
  holder.replaceChildren(page.svg);
  fillBackgrounds(page);
  window.print();
}
