// The page: the form of one lake, its result pages, Calibrate, Open, Save and Print, over
// the engine. Every number, result text and message comes from the engine; this script
// only places them.
import { loadEngine } from './engine.js';
import { drawTsiChart } from './tsichart.js';
import { createResponsePage } from './response.js';
import { printPage } from './print.js';
import { createLakesTable } from './lakestable.js';
import { createHelp } from './help.js';
import { createSamples } from './samples.js';
import { downloadBlob, fileNameOf } from './download.js';
import { stepThroughChoices } from './selectors.js';
import { $, element } from './dom.js';

const StorageKey = 'trophex.lake';

// The form's rows: caption as the window shows it, the control of the number (or of the
// ecoregion) and which unit list its selector offers.
const LakeRows = [
  ['Lake Name', 'NameEditBox'],
  ['Ecoregion', 'EcoRegComboBox', 'ecoregions'],
  ['Watershed Area', 'WareaEditBox', 'area'],
  ['Surface Area', 'LareaEditBox', 'area'],
  ['Mean Depth', 'DepthEditBox', 'length'],
];
const QualityRows = [
  ['Total Phosphorus', 'TPeditBox', 'concentration'],
  ['Chlorophyll a', 'ChlrAeditBox', 'concentration'],
  ['Secchi Disk', 'SechiEditBox', 'length'],
  ['Alkalinity', 'AlkalinityEditBox', 'alkalinity'],
];
const CalibrationRows = [
  ['CalibrationGroup', [['Stream P (ug/L)', 'StreamEditBox'], ['Precipitation (m/yr)', 'PrecipEditBox'],
    ['Evaporation (m/yr)', 'EvapEditBox'], ['Runoff (m/yr)', 'RunoffEditBox'],
    ['Atom. Load (kg/km2 yr)', 'AtmosEditBox']]],
  ['ErrorTermsGroup', ['V1EditBox', 'V2Editbox', 'V3EditBox', 'V4EditBox', 'V5EditBox', 'V6EditBox', 'V7EditBox',
    'V8EditBox'].map((control) => [control.slice(0, 2), control])],
  ['StatisticsGroup', [['S1', 'S1EditBox'], ['S2', 'S2EditBox']]],
];

const OutputOrder = ['AvgInTPEditBox', 'PhosLoadEditBox', 'CVtpEditBox', 'PhosRetEditBox', 'OutVolEditBox',
  'ResTimeEditBox', 'WatLoadEditBox'];


let engine;
let tables;
let inputControls = [];  // the 31 controls, in data-file order
let resultsReady = false;
let lastCalculatedTexts = null;
let responsePage;
let lakesTable;

function unitListOf(kind) {
  return kind === 'ecoregions' ? tables.ecoregions : tables.units[kind];
}

// An editable selector, as the window's: a text box with its list of choices.
function editableSelector(id, name, choices) {
  const listId = `${id}-choices`;
  const list = element('datalist', { id: listId }, choices.map((choice) => element('option', { value: choice })));
  const box = element('input', { id, type: 'text', autocomplete: 'off', spellcheck: false });
  box.setAttribute('list', listId);
  box.setAttribute('aria-label', name);
  box.classList.add('selector');
  stepThroughChoices(box);
  return [box, list];
}

function inputRow(caption, control, unitKind) {
  const row = element('div', { className: 'row' });
  const label = element('label', { htmlFor: control, textContent: caption });
  if (unitKind === 'ecoregions') {
    const [box, list] = editableSelector(control, caption, unitListOf(unitKind));
    box.removeAttribute('aria-label');
    row.append(label, box, list);
    return row;
  }
  const box = element('input', { id: control, type: 'text', autocomplete: 'off', spellcheck: false });
  box.setAttribute('inputmode', control === 'NameEditBox' ? 'text' : 'decimal');
  row.append(label, box);
  if (unitKind) {
    const unitControl = tables.inputs[inputIndex(control) + 1].control;
    row.append(...editableSelector(unitControl, `${caption} unit`, unitListOf(unitKind)));
  } else {
    row.classList.add('wide');
  }
  return row;
}

function inputIndex(control) {
  return tables.inputs.findIndex((input) => input.control === control);
}

function buildInputs() {
  $('LakeGroup').append(...LakeRows.map((row) => inputRow(...row)));
  $('QualityGroup').append(...QualityRows.map((row) => inputRow(...row)));
  for (const [group, rows] of CalibrationRows)
    $(group).append(...rows.map(([caption, control]) => inputRow(caption, control)));
  inputControls = tables.inputs.map((input) => $(input.control));
}

function buildOutputs() {
  // The window's order: inflow, load, Chiaudani/Vighi and retention, then outflow, residence
  // time and water load.
  const boxes = OutputOrder.map((control) => tables.results.find((result) => result.control === control));
  $('OutputBoxes').append(...boxes.map((result) => {
    const row = element('div', { className: 'row' });
    const box = element('input', { id: result.control, type: 'text', readOnly: true });
    row.append(element('label', { htmlFor: result.control, textContent: result.label }), box);
    if (result.selector !== undefined) {
      const selector = tables.selectors[result.selector];
      const choose = element('select', { id: selector.name },
        selector.units.map((unit) => element('option', { value: unit, textContent: unit })));
      choose.setAttribute('aria-label', `${result.label} unit`);
      choose.addEventListener('change', () => {
        if (resultsReady) box.value = engine.convert(result.selector, choose.value);
      });
      row.append(choose);
    } else {
      row.classList.add('wide');
    }
    return row;
  }));
  $('TsiBoxes').append(...tables.results.filter((result) => result.page === 'Tsi').map((result) =>
    element('div', { className: 'row' }, [element('label', { htmlFor: result.control, textContent: result.label }),
      element('input', { id: result.control, type: 'text', readOnly: true })])));
}

function buildGrid(id, [columnTitles, rowTitles]) {
  const head = element('thead', {}, [element('tr', {}, columnTitles.map((title) =>
    element('th', { scope: 'col', textContent: title })))]);
  const body = element('tbody', {}, rowTitles.map((title, row) => element('tr', {}, [
    element('th', { scope: 'row', textContent: title }),
    ...columnTitles.slice(1).map((_, column) => element('td', { id: `${id}-${column + 1}-${row + 1}` })),
  ])));
  $(id).append(head, body);
}

function resultElement(result) {
  return result.column ? $(`${result.control}-${result.column}-${result.row}`) : $(result.control);
}

function showResults(texts) {
  tables.results.forEach((result, index) => {
    const shown = resultElement(result);
    if ('value' in shown) shown.value = texts[index];
    else shown.textContent = texts[index];
  });
  for (const selector of tables.selectors) $(selector.name).value = selector.units[0];
}

function emptyResults() {
  tables.results.forEach((result) => {
    const shown = resultElement(result);
    if ('value' in shown) shown.value = '';
    else shown.textContent = '';
  });
}

const readTexts = () => inputControls.map((control) => control.value);

function writeTexts(texts) {
  texts.forEach((text, index) => { inputControls[index].value = text; });
}

function remember() {
  try {
    localStorage.setItem(StorageKey, JSON.stringify(readTexts()));
  } catch {
    // Storage may be full or refused (private windows); the form works without it.
  }
}

function recall() {
  try {
    const texts = JSON.parse(localStorage.getItem(StorageKey));
    if (Array.isArray(texts) && texts.length === inputControls.length && texts.every((t) => typeof t === 'string'))
      return texts;
  } catch {
    // A stored lake that cannot be read is ignored.
  }
  return null;
}

function setStatus(text) {
  $('status').textContent = text;
}

function updateStatus() {
  if (!resultsReady) setStatus('');
  else if (JSON.stringify(readTexts()) !== JSON.stringify(lastCalculatedTexts))
    setStatus('The inputs have changed since the last calculation.');
  else setStatus('Results of the inputs shown.');
}

// The error box; when it closes, the input that failed has the focus with the failing part
// of its text selected (a calibration input opens Calibrate first).
function showError(message, field = null, position = 0) {
  $('error-text').textContent = message;
  const dialog = $('ErrorDialog');
  dialog.onclose = () => { if (field) focusInput(field, position); };
  dialog.showModal();
  $('ErrorOK').focus();
}

function focusInput(control, position) {
  const box = $(control);
  if (!box) return;
  if (box.closest('dialog') && !$('CalibrateForm').open) $('CalibrateForm').showModal();
  box.focus();
  const start = Math.max(0, Math.min(position - 1, box.value.length));
  try {
    box.setSelectionRange(position > 0 ? start : 0, box.value.length);
  } catch {
    // Some kinds of input have no selection.
  }
}

function calculate() {
  engine.setInputs(readTexts());
  const outcome = engine.calculate();
  if (!outcome.ok) {
    showError([outcome.message, outcome.cause].filter(Boolean).join('\n'), outcome.field, outcome.position);
    return false;
  }
  showResults(outcome.results);
  resultsReady = true;
  lastCalculatedTexts = readTexts();
  drawChart();
  // The load response is worked out when its page is shown, not with every calculation.
  if (!$('page-response').hidden) responsePage.refresh(true);
  updateStatus();
  return true;
}

function drawChart() {
  const indices = tables.results.filter((result) => result.page === 'Tsi');
  drawTsiChart($('TsiChart'), resultsReady ? indices.map((result) => $(result.control).value) : null,
    engine.tsiRanges($('EcoRegComboBox').value), indices.map((result) => result.label));
}

function clearAll() {
  ['NameEditBox', 'WareaEditBox', 'LareaEditBox', 'DepthEditBox', 'TPeditBox', 'ChlrAeditBox', 'SechiEditBox',
    'AlkalinityEditBox'].forEach((control) => { $(control).value = ''; });
  emptyResults();
  engine.clear();
  resultsReady = false;
  responsePage.refresh(false);
  lastCalculatedTexts = null;
  drawChart();
  updateStatus();
  try {
    localStorage.removeItem(StorageKey);
  } catch {
    // Nothing stored to empty.
  }
}

// The calibration set of the ecoregion shown; kept and told apart from the last calculation
// as typing is.
function applyEcoregionDefaults() {
  engine.setInputs(readTexts());
  writeTexts(engine.ecoregionDefaults());
  remember();
  updateStatus();
}

async function openFile(file) {
  const bytes = new Uint8Array(await file.slice(0, tables.maxReadableBytes + 1).arrayBuffer());
  const opened = engine.open(bytes);
  if (!opened.ok) {
    showError(opened.message);
    return;
  }
  writeTexts(opened.inputs);
  remember();
  calculate();
}

function saveFile() {
  engine.setInputs(readTexts());
  const bytes = engine.save();
  const name = fileNameOf(readTexts()[0], 'lake');
  downloadBlob(new Blob([bytes], { type: 'application/octet-stream' }), `${name}.tpx`);
}

// The report of the shown calculation on one page, laid out by the engine as the window's
// printer lays it out; the load response report likewise.
function print() {
  if (!resultsReady) {
    showError(tables.nothingToPrint);
    return;
  }
  printPage((width, height) => engine.report(tables.selectors.map((selector) => $(selector.name).value), width, height),
    'TROPHEX report');
}

function printResponse() {
  if (!resultsReady) {
    showError(tables.nothingToPrint);
    return;
  }
  // A target that cannot be taken is said, as the page says it, rather than printed.
  if (!responsePage.shown()) {
    showError(responsePage.problem());
    return;
  }
  printPage((width, height) => engine.responseReport(width, height), 'TROPHEX load response report');
}

function selectTab(tab) {
  for (const other of document.querySelectorAll('[role=tab]')) {
    const chosen = other === tab;
    other.setAttribute('aria-selected', String(chosen));
    other.tabIndex = chosen ? 0 : -1;
    $(other.getAttribute('aria-controls')).hidden = !chosen;
  }
  if (tab.id === 'tab-tsi') drawChart();
  if (tab.id === 'tab-response') responsePage.refresh(resultsReady);
}

function wireTabs() {
  const tabs = [...document.querySelectorAll('[role=tab]')];
  tabs.forEach((tab, index) => {
    tab.addEventListener('click', () => selectTab(tab));
    tab.addEventListener('keydown', (event) => {
      const step = { ArrowRight: 1, ArrowLeft: -1 }[event.key];
      const target = step ? tabs[(index + step + tabs.length) % tabs.length]
        : { Home: tabs[0], End: tabs[tabs.length - 1] }[event.key];
      if (!target) return;
      event.preventDefault();
      selectTab(target);
      target.focus();
    });
  });
}

function wireCommands() {
  $('CalcButton').addEventListener('click', calculate);
  $('ClearBtn').addEventListener('click', clearAll);
  $('SaveBtn').addEventListener('click', saveFile);
  $('PrintBtn').addEventListener('click', print);
  $('OpenBtn').addEventListener('click', () => $('OpenFile').click());
  $('OpenFile').addEventListener('change', (event) => {
    const [file] = event.target.files;
    event.target.value = '';
    if (file) openFile(file);
  });
  $('CalibrateBtn').addEventListener('click', () => {
    $('CalibrateForm').showModal();
    $('StreamEditBox').focus();
  });
  $('DefaultBtn').addEventListener('click', applyEcoregionDefaults);
  $('EcoRegComboBox').addEventListener('input', applyEcoregionDefaults);
  document.addEventListener('input', (event) => {
    if (inputControls.includes(event.target)) {
      remember();
      updateStatus();
    }
  });
  // Enter in any input calculates; in Calibrate it closes the dialog first.
  document.addEventListener('keydown', (event) => {
    if (event.key !== 'Enter' || !inputControls.includes(event.target)) return;
    event.preventDefault();
    if ($('CalibrateForm').open) $('CalibrateForm').close();
    calculate();
  });
  $('MainForm').addEventListener('submit', (event) => event.preventDefault());
  $('ResponsePrintBtn').addEventListener('click', printResponse);
  responsePage.kind.addEventListener('change', () => {
    responsePage.placeValueBoxes();
    responsePage.refresh(resultsReady);
  });
  const responseControls = [responsePage.value, responsePage.bound, $('AnchorCheckBox'), $('ShowChartButton'),
    $('ShowTableButton')];
  for (const box of responseControls)
    box.addEventListener('input', () => responsePage.refresh(resultsReady));
}

// Files dropped anywhere open; other things dragged (text into a box) are the browser's. The
// outline shows while files are over the page, until they leave its window.
function wireDrop() {
  const carriesFiles = (event) => Boolean(event.dataTransfer?.types.includes('Files'));
  document.addEventListener('dragover', (event) => {
    if (!carriesFiles(event)) return;
    event.preventDefault();
    document.body.classList.add('dragging');
  });
  document.addEventListener('dragleave', (event) => {
    if (!event.relatedTarget) document.body.classList.remove('dragging');
  });
  // An open dialog takes no file, as the window's dialogs take none.
  document.addEventListener('drop', (event) => {
    if (!carriesFiles(event)) return;
    event.preventDefault();
    document.body.classList.remove('dragging');
    const [file] = event.dataTransfer.files;
    if (!file || document.querySelector('dialog[open]')) return;
    if (/\.csv$/i.test(file.name) || file.type === 'text/csv') {
      showView('TableView');
      lakesTable.assess(file);
    } else {
      showView('LakeView');
      openFile(file);
    }
  });
}

// The lake's form and results, or the table of lakes.
function showView(id) {
  for (const button of document.querySelectorAll('.views button')) {
    const chosen = button.id === id;
    button.setAttribute('aria-pressed', String(chosen));
    $(button.getAttribute('aria-controls')).hidden = !chosen;
  }
  document.querySelector('.commands').hidden = id !== 'LakeView';
}

// A lake of the table in the form, calculated, as the window's table opens a row; the
// keyboard goes on in the form (or in the error box of a lake that fails).
function openTableLake(texts) {
  writeTexts(texts);
  remember();
  showView('LakeView');
  if (calculate()) $('NameEditBox').focus();
}

async function start() {
  engine = await loadEngine();
  tables = engine.tables();
  buildInputs();
  buildOutputs();
  buildGrid('ChlrStringGrid', tables.chlrGrid);
  buildGrid('CompStringGrid', tables.compGrid);
  responsePage = createResponsePage(engine, tables.response);
  responsePage.placeValueBoxes();
  responsePage.refresh(false);
  let samplesChanged = () => {};
  lakesTable = createLakesTable(engine, tables.table, { openLake: openTableLake, showError, onChange: () => samplesChanged() });
  samplesChanged = createSamples(engine, lakesTable);
  samplesChanged();
  const help = createHelp({ show: () => showView('HelpView') });
  for (const button of document.querySelectorAll('.views button'))
    button.addEventListener('click', () => (button.id === 'HelpView' ? help.showTopic('topic0') : showView(button.id)));
  // The help topics of the Calibrate dialog and the Load Response page, as the window opens them.
  $('CalibrateHelpBtn').addEventListener('click', () => {
    $('CalibrateForm').close();
    help.showTopic('topic100');
  });
  $('ResponseHelpBtn').addEventListener('click', () => help.showTopic('topic200'));
  writeTexts(recall() || tables.startup);
  wireTabs();
  wireCommands();
  wireDrop();
  window.addEventListener('resize', () => {
    if (!$('page-tsi').hidden) drawChart();
    if (!$('page-response').hidden) responsePage.refresh(resultsReady);
  });
  drawChart();
  document.body.dataset.ready = 'true';
}

start().catch((error) => {
  document.body.prepend(element('p', { className: 'fatal', role: 'alert', textContent: String(error) }));
});
