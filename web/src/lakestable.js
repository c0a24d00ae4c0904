// The table of lakes: a CSV table cut into parts at whole records, each part assessed by the
// engine's batch in a Web Worker, the results gathered in input order into the engine's
// table, which the page shows row by row as they come into view, sorts, filters and
// downloads exactly as the batch writes it. A target for the whole table adds every lake's
// load response. A cancelled or failed run keeps the table on show as it was.
import { assessParts } from './tableparts.js';
import { downloadBlob } from './download.js';
import { $, element } from './dom.js';

const MaxScrollPixels = 8_000_000;  // browsers cap an element's height; beyond, scrolling is scaled
const DownloadPieceLakes = 50_000;

export function createLakesTable(engine, choices, { openLake, showError, onChange = () => {} }) {
  let file = null;        // the table's file
  let fileName = '';      // its name
  let tableTarget = { text: '', model: false };  // the target of the table on show
  let chosenTarget = { text: '', model: false };  // the target typed or chosen
  let running = null;     // the run going on: { cancel }
  let columns = [];       // of the table on show
  let summary = { shown: 0, lakes: 0, table: false, response: false, text: '' };
  let sortColumn = -1;
  let descending = false;
  let current = 0;        // the row the keyboard is at
  let rowHeight = 30;
  let shownRows = [];     // the rows drawn: [lake, calculated, cells...]
  let firstShown = 0;

  const scroller = $('LakesScroller');
  const grid = $('LakesGrid');
  const spacer = $('LakesSpacer');

  function fillFilter(id, filterChoices) {
    $(id).replaceChildren(...filterChoices.map(([text, value]) => element('option', { value, textContent: text })));
  }
  fillFilter('StatusFilter', choices.status);
  fillFilter('EcoregionFilter', choices.ecoregion);
  fillFilter('ClassFilter', choices.trophicClass);
  fillFilter('GoalFilter', choices.goal);
  $('TableTargetChoices').append(...[choices.noTarget, ...choices.targets].map((text) => element('option', { value: text })));
  $('TableTarget').value = choices.noTarget;

  const visibleRows = () => Math.max(1, Math.ceil((scroller.clientHeight - headHeight()) / rowHeight));
  const headHeight = () => grid.tHead?.offsetHeight || rowHeight;

  function setProgress(fraction) {
    $('AssessProgress').value = Math.round(fraction * 1000);
  }

  // While a table is assessed, Cancel has the focus; when it goes, Open Table takes it.
  function setAssessing(assessing, name) {
    const cancelFocused = document.activeElement === $('CancelAssessBtn');
    $('AssessRow').hidden = !assessing;
    $('AssessLabel').textContent = assessing ? `Assessing ${name}` : '';
    $('DownloadResultsBtn').disabled = assessing || !summary.table;
    if (assessing) $('CancelAssessBtn').focus();
    else if (cancelFocused) $('OpenTableBtn').focus();
    onChange();
  }

  function showSummary() {
    $('LakesSummary').textContent = summary.table ? summary.text : 'No table yet: open or drop a CSV table of lakes.';
    $('GoalFilter').disabled = !summary.response;
    const rows = summary.shown;
    const full = rows * rowHeight + headHeight();
    spacer.style.height = `${Math.max(0, Math.min(full, MaxScrollPixels) - grid.offsetHeight)}px`;
    grid.setAttribute('aria-rowcount', String(rows + 1));
    current = Math.min(current, Math.max(0, rows - 1));
    drawRows();
    onChange();
  }

  function buildHead() {
    const widths = columnWidths();
    grid.replaceChildren(
      element('colgroup', {}, columns.map((_, i) => element('col', { style: `width: ${widths[i]}ch` }))),
      element('thead', {}, [element('tr', {}, columns.map((column, i) => {
        const head = element('th', { scope: 'col', className: column.numbers ? 'number' : '' }, [
          // Out of the tab order: "Sort by" and "Descending" do the same from the keyboard.
          element('button', { type: 'button', tabIndex: -1, textContent: column.title, title: column.tip || column.title,
            onclick: () => sortBy(i, i === sortColumn ? !descending : false) })]);
        if (i === sortColumn) head.setAttribute('aria-sort', descending ? 'descending' : 'ascending');
        return head;
      }))]),
      element('tbody'));
    grid.tHead.rows[0].setAttribute('aria-rowindex', '1');
    $('SortColumn').replaceChildren(...columns.map((column, i) => element('option', { value: i, textContent: column.title })));
    $('SortColumn').value = String(Math.max(sortColumn, 0));
    $('SortDescending').checked = descending;
  }

  // Each column as wide as its title and the texts of its first rows, none wider than 40
  // characters, so that a name of a million letters leaves the other columns in sight.
  function columnWidths() {
    const sample = engine.tableRows(0, 200);
    return columns.map((column, i) => Math.min(40, Math.max(column.title.length + 3,
      ...sample.map((row) => String(row[i + 2]).length + 2))));
  }

  function firstRowForScroll() {
    const rows = summary.shown;
    const room = Math.max(1, spacer.offsetHeight + grid.offsetHeight - scroller.clientHeight);
    return Math.round(Math.min(1, scroller.scrollTop / room) * Math.max(0, rows - visibleRows()));
  }

  function drawRows() {
    const body = grid.tBodies[0];
    if (!body) return;
    firstShown = firstRowForScroll();
    shownRows = summary.shown ? engine.tableRows(firstShown, visibleRows()) : [];
    const trs = [...body.rows];
    while (trs.length < shownRows.length) {
      const tr = element('tr', {}, columns.map(() => element('td')));
      tr.addEventListener('dblclick', () => open(firstShown + [...body.rows].indexOf(tr)));
      tr.addEventListener('click', () => { current = firstShown + [...body.rows].indexOf(tr); markCurrent(); });
      body.append(tr);
      trs.push(tr);
    }
    trs.forEach((tr, r) => {
      const row = shownRows[r];
      tr.hidden = !row;
      if (!row) return;
      tr.setAttribute('aria-rowindex', String(firstShown + r + 2));
      tr.classList.toggle('failed', !row[1]);
      row.slice(2).forEach((text, c) => {
        const cell = tr.cells[c];
        if (cell.textContent !== text) cell.textContent = text;
        cell.className = columns[c].numbers ? 'number' : '';
      });
    });
    markCurrent();
    if (trs[0]) rowHeight = trs[0].offsetHeight || rowHeight;
  }

  function markCurrent() {
    const body = grid.tBodies[0];
    if (!body) return;
    [...body.rows].forEach((tr, r) => tr.classList.toggle('current', firstShown + r === current));
    const row = shownRows[current - firstShown];
    $('LakesCurrent').textContent = row ? `Row ${current + 1} of ${summary.shown}: ${row[3]}` : '';
  }

  // Brings the current row into view, scrolling as little as needed.
  function showCurrent() {
    const rows = summary.shown;
    const visible = visibleRows();
    let first = firstShown;
    if (current < first) first = current;
    else if (current >= first + visible - 1) first = current - visible + 2;
    const room = spacer.offsetHeight + grid.offsetHeight - scroller.clientHeight;
    scroller.scrollTop = rows > visible ? (Math.max(0, first) / (rows - visible)) * room : 0;
    drawRows();
  }

  function sortBy(column, inDescending) {
    sortColumn = column;
    descending = inDescending;
    document.body.classList.add('busy');
    summary = engine.tableSort(column, descending);
    document.body.classList.remove('busy');
    buildHead();
    scroller.scrollTop = 0;
    showSummary();
  }

  function filterChanged() {
    summary = engine.tableFilter(...['StatusFilter', 'EcoregionFilter', 'ClassFilter', 'GoalFilter'].map((id) => Number($(id).value)));
    scroller.scrollTop = 0;
    showSummary();
  }

  function open(row) {
    const texts = engine.tableLake(row);
    if (texts) openLake(texts);
  }

  function onKey(event) {
    const step = { ArrowDown: 1, ArrowUp: -1, PageDown: visibleRows() - 1, PageUp: 1 - visibleRows() }[event.key];
    if (event.key === 'Enter') open(current);
    else if (step) current = Math.min(Math.max(0, current + step), summary.shown - 1);
    else if (event.key === 'Home') current = 0;
    else if (event.key === 'End') current = summary.shown - 1;
    else return;
    event.preventDefault();
    showCurrent();
  }

  async function assess(newFile, target) {
    running?.cancel();
    // A file is a table of lakes; another source (monitoring samples) says how it is assessed.
    const run = newFile.run ? newFile.run(target, setProgress) : assessParts(engine, newFile, target, {
      progress: setProgress,
    });
    running = run;
    setAssessing(true, newFile.name);
    setProgress(0);
    const outcome = await run.done;
    if (running !== run) return;  // a later run took over
    running = null;
    setAssessing(false);
    if (outcome.cancelled) {
      chosenTarget = tableTarget;
      showTarget();
      $('LakesStatus').textContent = columns.length
        ? `Assessment of ${newFile.name} cancelled: the table on show is as it was`
        : `Assessment of ${newFile.name} cancelled`;
      return;
    }
    if (!outcome.ok) {
      chosenTarget = tableTarget;
      showTarget();
      showError(`${newFile.name}\n${outcome.message}`);
      return;
    }
    const sameFile = file === newFile;
    file = newFile;
    fileName = newFile.name;
    tableTarget = target;
    $('LakesStatus').textContent = `${fileName}`;
    columns = outcome.table.columns;
    summary = outcome.table.summary;
    if (!summary.response) $('GoalFilter').value = String(choices.goal[0][1]);
    // The same table with another target keeps its sort; a new one shows the file's order.
    if (!sameFile) {
      sortColumn = -1;
      descending = false;
      scroller.scrollLeft = 0;
    }
    buildHead();
    filterChanged();
    if (sortColumn >= 0) sortBy(sortColumn, descending);
    $('DownloadResultsBtn').disabled = false;
    scroller.focus();
  }

  function showTarget() {
    $('TableTarget').value = chosenTarget.text || choices.noTarget;
    $('TableAnchor').checked = !chosenTarget.model;
    $('TableAnchor').disabled = !chosenTarget.text;
  }

  function targetChosen() {
    const typed = $('TableTarget').value.trim();
    const text = typed.toLowerCase() === choices.noTarget.toLowerCase() ? '' : typed;
    if (text) {
      const error = engine.tableTargetError(text);
      if (error) {
        showTarget();
        showError(error);
        return;
      }
    }
    const wanted = { text, model: Boolean(text) && !$('TableAnchor').checked };
    const changed = wanted.text !== chosenTarget.text || wanted.model !== chosenTarget.model;
    chosenTarget = wanted;
    showTarget();
    if (changed && file) assess(file, chosenTarget);
  }

  // The whole table as the batch writes it, in the order of the file, piece by piece so that
  // a million lakes never sit twice in the engine's memory.
  function download() {
    if (!columns.length || running) return;
    const pieces = [];
    for (let first = 0; first === 0 || first < summary.lakes; first += DownloadPieceLakes)
      pieces.push(engine.tableBytes(first, DownloadPieceLakes));
    const base = fileName.replace(/\.[^.]*$/, '') || 'lakes';
    downloadBlob(new Blob(pieces, { type: 'text/csv' }), `${base}_results.csv`);
  }

  $('OpenTableBtn').addEventListener('click', () => $('OpenTableFile').click());
  $('OpenTableFile').addEventListener('change', (event) => {
    const [chosen] = event.target.files;
    event.target.value = '';
    if (chosen) assess(chosen, chosenTarget);
  });
  $('CancelAssessBtn').addEventListener('click', () => running?.cancel());
  // Escape cancels as Cancel does, while the table is on show and no dialog takes the key.
  document.addEventListener('keydown', (event) => {
    if (event.key === 'Escape' && running && !$('table-view').hidden && !document.querySelector('dialog[open]'))
      running.cancel();
  });
  for (const id of ['StatusFilter', 'EcoregionFilter', 'ClassFilter', 'GoalFilter'])
    $(id).addEventListener('change', filterChanged);
  $('SortColumn').addEventListener('change', () => sortBy(Number($('SortColumn').value), $('SortDescending').checked));
  $('SortDescending').addEventListener('change', () => sortBy(Math.max(0, Number($('SortColumn').value)), $('SortDescending').checked));
  $('TableTarget').addEventListener('change', targetChosen);
  $('TableTarget').addEventListener('keydown', (event) => {
    if (event.key === 'Enter') {
      event.preventDefault();
      targetChosen();
    }
  });
  $('TableAnchor').addEventListener('change', targetChosen);
  $('DownloadResultsBtn').addEventListener('click', download);
  scroller.addEventListener('scroll', () => requestAnimationFrame(drawRows));
  scroller.addEventListener('keydown', onKey);
  window.addEventListener('resize', () => columns.length && showSummary());
  showTarget();
  showSummary();
  setAssessing(false);

  return {
    assess: (chosen) => assess(chosen, chosenTarget),
    running: () => running !== null,
    summary: () => summary,
    currentRow: () => current,
  };
}
