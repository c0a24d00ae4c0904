// The Load Response page: the target chosen from the engine's list with its value (the
// ecoregion goal shown, not typed), anchored or the model's own values, the answer in
// sentences, and the chart or the table at cuts of 0 to 100 %, as the Chart and Table
// switch chooses. Every text and number comes from the engine; this script only places them.
import { drawItems, fillBackgrounds } from './drawing.js';
import { stepThroughChoices } from './selectors.js';
import { $, element } from './dom.js';

// The chart's box in screen pixels, its text size and line height.
const ChartHeight = 300;
const PointSize = 10;
const PixelsPerPoint = 96 / 72;
const LineHeight = 18;

export function createResponsePage(engine, texts) {
  const valueTexts = texts.choices.map((choice) => choice.firstValue);
  const kind = $('TargetComboBox');
  const value = $('TargetValueComboBox');
  const bound = $('TargetBoundComboBox');
  let shown = null;
  let problem = texts.beforeCalculation;  // why no response is shown

  kind.append(...texts.choices.map((choice, index) => element('option', { value: index, textContent: choice.caption })));
  $('TargetBoundChoices').append(...texts.bounds.map((text) => element('option', { value: text })));
  bound.value = texts.firstBound;
  for (const box of [value, bound]) stepThroughChoices(box);
  $('TargetBoundUnit').textContent = texts.boundUnit;

  const choice = () => texts.choices[kind.selectedIndex];

  function placeValueBoxes() {
    const chosen = choice();
    const frequency = chosen.caption === texts.choices[texts.choices.length - 1].caption;
    $('TargetComparison').textContent = chosen.comparison;
    $('TargetBoundGroup').hidden = !frequency;
    $('TargetValueUnit').textContent = chosen.unit;
    $('TargetValueChoices').replaceChildren(...chosen.suggestions.map((text) => element('option', { value: text })));
    value.value = valueTexts[kind.selectedIndex];
    value.readOnly = !chosen.typed;
  }

  // The chart or the table, one at a time.
  function showChosenView() {
    const chart = $('ShowChartButton').checked;
    $('ResponseChart').hidden = !chart;
    $('ResponseTableArea').hidden = chart;
  }

  function showEmpty(message) {
    shown = null;
    problem = message;
    $('AnswerLabel').replaceChildren(element('p', { textContent: message }));
    $('ResponseChart').replaceChildren();
    $('ResponseGrid').replaceChildren();
    $('ResponseGrid').hidden = true;
    if (!choice().typed) value.value = '';
  }

  function showTable(table) {
    const grid = $('ResponseGrid');
    grid.hidden = false;
    grid.replaceChildren(
      element('caption', { textContent: 'The lake at cuts of 0 to 100 %' }),
      element('thead', {}, [element('tr', {}, table.headings.map((heading) =>
        element('th', { scope: 'col', textContent: heading })))]),
      element('tbody', {}, table.rows.map((row) => element('tr', {}, row.map((cell, column) =>
        element(column ? 'td' : 'th', column ? { textContent: cell } : { scope: 'row', textContent: cell }))))));
  }

  function refresh(calculated) {
    showChosenView();
    if (choice().typed) valueTexts[kind.selectedIndex] = value.value;
    if (!calculated) {
      showEmpty(texts.beforeCalculation);
      return;
    }
    // As wide as its place on the page, so that its texts keep their size on a phone.
    const width = Math.min(720, Math.max(420, $('ResponseChart').clientWidth || 640));
    const response = engine.response(kind.selectedIndex, value.value, bound.value, $('AnchorCheckBox').checked,
      width, ChartHeight, LineHeight, PointSize);
    if (!response.ok) {
      showEmpty(response.message);
      return;
    }
    shown = response;
    if (!choice().typed) value.value = response.targetValue;
    $('AnswerLabel').replaceChildren(...response.answer.map((sentence) => element('p', { textContent: sentence })));
    const chart = drawItems(response.chart, width, ChartHeight, PixelsPerPoint,
      `${response.chartTitle} against the cut of the watershed load, with its 90 % band and the target`);
    chart.svg.classList.add('response-chart');
    if (response.answerPercent !== undefined) chart.svg.dataset.answerPercent = response.answerPercent;
    $('ResponseChart').replaceChildren(chart.svg);
    // A hidden chart cannot be measured; it is drawn again when the switch shows it.
    if (!$('ResponseChart').hidden) fillBackgrounds(chart);
    showTable(response.table);
  }

  return { placeValueBoxes, refresh, shown: () => shown, problem: () => problem, kind, value, bound };
}
