// Monitoring samples in the table of lakes. A samples table (and optionally its lakes table)
// is read into lake-years by the engine in a Web Worker of its own, then assessed as a table
// of lakes by the table's workers, with its progress, Cancel and target; a target re-reads
// the samples. The skipped samples are listed by reason in a box beside the table, and the
// trend view shows the lake of the current row.
import { assessParts, workerSource } from './tableparts.js';
import { downloadPng, downloadSvg, drawTrendChart } from './trendchart.js';
import { fileNameOf } from './download.js';
import { $, element } from './dom.js';

// Reading the samples takes most of an import's time: it fills this much of the progress bar.
const ReadingShare = 0.9;

// The samples read into lake-years by a worker, which reads the files itself:
// { ok, results } or { ok: false, message }; progress(fraction) as it reads.
function readInWorker(samples, lakes, progress) {
  const worker = new Worker(workerSource());
  const done = new Promise((resolve) => {
    worker.onmessage = ({ data }) => {
      if ('samplesRead' in data) progress(samples.size ? data.samplesRead / samples.size : 1);
      else resolve(data);
    };
    worker.onerror = (event) => resolve({ ok: false, message: String(event.message || event) });
  });
  worker.postMessage({ samples, lakes });
  return { done: done.finally(() => worker.terminate()), stop: () => worker.terminate() };
}

// What the table of lakes assesses for a samples table: run(target, progress) reads the
// samples, hands the lake-years to the engine and assesses them; { done, cancel } as
// assessParts gives.
export function samplesSource(engine, samplesFile, lakesFile) {
  return {
    name: samplesFile.name,
    run(target, progress) {
      let stopped = false;
      let stop = () => {};
      let cancel;
      const cancelled = new Promise((resolve) => { cancel = resolve; });
      async function read() {
        const reading = readInWorker(samplesFile, lakesFile, (fraction) => progress(fraction * ReadingShare));
        stop = reading.stop;
        const lakeYears = await reading.done;
        if (stopped) return { cancelled: true };
        if (!lakeYears.ok) return lakeYears;
        const table = engine.samplesTake(new Uint8Array(lakeYears.results));
        const assessing = assessParts(engine, new Blob([table]), target, {
          progress: (fraction) => progress(ReadingShare + fraction * (1 - ReadingShare)),
        });
        stop = assessing.cancel;
        return assessing.done;
      }
      const done = Promise.race([read(), cancelled.then(() => ({ cancelled: true }))])
        .catch((error) => ({ ok: false, message: String(error.message || error) }))
        .then((outcome) => {
          stopped = true;
          if (!outcome.ok) engine.tableDrop();
          return outcome;
        });
      return { done, cancel: () => { stopped = true; stop(); cancel(); } };
    },
  };
}

// A file input that also takes a file dropped on its field.
function acceptDrops(field, input, changed) {
  field.addEventListener('dragover', (event) => {
    event.preventDefault();
    event.stopPropagation();
  });
  field.addEventListener('drop', (event) => {
    event.preventDefault();
    event.stopPropagation();
    if (!event.dataTransfer.files.length) return;
    input.files = event.dataTransfer.files;
    changed();
  });
}

// The Import Monitoring Samples dialog, the Skipped Samples box and the trend view, over the
// table of lakes (createLakesTable's answer).
export function createSamples(engine, lakesTable) {
  const dialog = $('SamplesDialog');
  const samplesInput = $('SamplesFile');
  const lakesInput = $('SamplesLakesFile');
  const fileChosen = () => { $('SamplesImportBtn').disabled = !samplesInput.files.length; };

  $('ImportSamplesBtn').addEventListener('click', () => {
    samplesInput.value = '';
    lakesInput.value = '';
    fileChosen();
    dialog.showModal();
    samplesInput.focus();
  });
  samplesInput.addEventListener('change', fileChosen);
  // A file dropped anywhere on the dialog but the lakes table's field is the samples table.
  acceptDrops(dialog, samplesInput, fileChosen);
  acceptDrops($('SamplesLakesDrop'), lakesInput, fileChosen);
  dialog.addEventListener('close', () => {
    if (dialog.returnValue !== 'import' || !samplesInput.files.length) return;
    lakesTable.assess(samplesSource(engine, samplesInput.files[0], lakesInput.files[0] || null));
  });

  const skippedBox = $('SkippedSamplesBox');
  const showSkipped = (shown) => {
    skippedBox.hidden = !shown;
    $('SkippedSamplesBtn').setAttribute('aria-expanded', String(shown));
    if (shown) $('SkippedSamplesText').textContent = lakesTable.summary().skipped;
  };
  $('SkippedSamplesBtn').addEventListener('click', () => showSkipped(skippedBox.hidden));

  const trendDialog = $('TrendDialog');
  let chart = null;
  let chartName = '';
  function showTrend() {
    const lakeTrends = engine.samplesTrend(lakesTable.currentRow());
    if (!lakeTrends) return;
    $('trend-title').textContent = `Carlson's indices of ${lakeTrends.lake} by year, with Sen's slope`;
    trendDialog.showModal();
    chart = drawTrendChart(lakeTrends, `Trophic state of ${lakeTrends.lake}`, $('TrendChart').clientWidth);
    chartName = `${fileNameOf(lakeTrends.lake, 'lake')} trend`;
    $('TrendChart').replaceChildren(chart);
    $('TrendAnswer').replaceChildren(...lakeTrends.words.split('\n').map((line) =>
      element('p', { textContent: line })));
  }
  $('TrendBtn').addEventListener('click', showTrend);
  $('TrendSvgBtn').addEventListener('click', () => downloadSvg(chart, chartName));
  $('TrendPngBtn').addEventListener('click', () => downloadPng(chart, chartName));

  // The samples' commands follow the table on show: only for one that came from samples,
  // and not while a table is being assessed.
  return function tableChanged() {
    const summary = lakesTable.summary();
    const usable = Boolean(summary.samples) && !lakesTable.running();
    $('TrendBtn').disabled = !usable || summary.shown === 0;
    $('SkippedSamplesBtn').disabled = !usable;
    if (!usable) showSkipped(false);
    else if (!skippedBox.hidden) showSkipped(true);
  };
}
