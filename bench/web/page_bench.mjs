// The browser page measured in Debian's headless Chromium: how soon the first results are on
// screen after the file opens, one calculation in the page's engine, a table of generated
// lakes assessed in the page's workers (time and the tab's peak memory), sorting it, jumping
// about in it and assessing it again with a target, and generated monitoring samples imported
// into lake-years.
//   node bench/web/page_bench.mjs PAGE.html TROPHEX-CLI WORKDIR [LAKES [SAMPLE-ROWS]]
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const require = createRequire(new URL('../../web/package.json', import.meta.url));
const puppeteer = require('puppeteer-core');

const [pagePath, cli, work] = process.argv.slice(2, 5).map((p) => resolve(p));
const lakes = Number(process.argv[5] || 1000000);
const sampleRows = Number(process.argv[6] || 1000000);
const Calculations = 2000;

// Memory of the tab: the proportional set size (shared pages shared out) of the largest of
// the browser's renderer processes, the one of the page and its workers, bytes.
function tabBytes(browserPid) {
  let largest = 0;
  const walk = (pid) => {
    let children = [];
    try {
      children = readFileSync(`/proc/${pid}/task/${pid}/children`, 'utf8').trim().split(/\s+/).filter(Boolean);
      if (readFileSync(`/proc/${pid}/cmdline`, 'utf8').includes('--type=renderer')) {
        const pss = /^Pss:\s+(\d+) kB/m.exec(readFileSync(`/proc/${pid}/smaps_rollup`, 'utf8'));
        largest = Math.max(largest, pss ? Number(pss[1]) * 1024 : 0);
      }
    } catch {
      // a process that ended meanwhile
    }
    children.forEach(walk);
  };
  walk(browserPid);
  return largest;
}

const seconds = (ms) => `${(ms / 1000).toFixed(2)} s`;
const megabytes = (bytes) => `${Math.round(bytes / (1 << 20))} MB`;

const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  userDataDir: join(work, 'bench-profile'),
  protocolTimeout: 600000,
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--allow-file-access-from-files'],
});
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 900 });

  // First results: from asking for the file to the example lake's results on screen.
  const opened = Date.now();
  await page.goto(pathToFileURL(pagePath).href);
  await page.waitForSelector('body[data-ready=true]');
  const ready = Date.now() - opened;
  await (await page.$('#OpenFile')).uploadFile(resolve('examples/example.tpx'));
  await page.waitForFunction(() => document.getElementById('AvgTSIeditBox').value !== '');
  console.log(`page ready ${ready} ms after opening; first results (example lake opened and calculated) ${Date.now() - opened} ms`);

  // One calculation: the engine alone, and Calculate with the page's drawing of every result.
  const perCalculation = await page.evaluate(async (count, example) => {
    const module = await globalThis.createTrophexEngine();
    const bytes = Uint8Array.from(example);
    const file = module._malloc(bytes.length);
    module.HEAPU8.set(bytes, file);
    const answer = (pointer) => new TextDecoder().decode(module.HEAPU8.slice(pointer, pointer + module._trx_answer_length()));
    const texts = JSON.parse(answer(module._trx_open(file, bytes.length))).inputs;
    texts.forEach((text, index) => {
      const encoded = new TextEncoder().encode(text);
      const at = module._malloc(encoded.length + 1);
      module.HEAPU8.set(encoded, at);
      module._trx_set_input(index, at, encoded.length);
    });
    if (!JSON.parse(answer(module._trx_calculate())).ok) throw new Error('the example lake does not calculate');
    // Warmed up first, so that the browser has compiled the hot code with its optimising tier.
    for (let i = 0; i < count * 5; i += 1) module._trx_calculate();
    const started = performance.now();
    for (let i = 0; i < count; i += 1) module._trx_calculate();
    return (performance.now() - started) / count;
  }, Calculations, [...readFileSync('examples/example.tpx')]);
  const perClick = await page.evaluate((count) => {
    const started = performance.now();
    for (let i = 0; i < count / 10; i += 1) document.getElementById('CalcButton').click();
    return (performance.now() - started) / (count / 10);
  }, Calculations);
  console.log(`one calculation in the page's engine ${(perCalculation * 1000).toFixed(1)} us; ` +
    `Calculate with the results drawn ${(perClick * 1000).toFixed(0)} us`);

  // The table of lakes.
  const table = join(work, `bench-${lakes}.csv`);
  execFileSync(cli, ['batch', '--generate', String(lakes), '-o', table]);
  await page.click('#TableView');
  const pid = browser.process().pid;
  let peak = tabBytes(pid);
  console.log(`the tab before the table: ${megabytes(peak)}`);
  const sampler = setInterval(() => { peak = Math.max(peak, tabBytes(pid)); }, 100);
  const started = Date.now();
  await (await page.$('#OpenTableFile')).uploadFile(table);
  await page.waitForFunction(() => document.getElementById('LakesSummary').textContent.includes('calculated'),
    { timeout: 600000, polling: 200 });
  const assessed = Date.now() - started;
  console.log(`${lakes} lakes assessed in the page in ${seconds(assessed)}, tab peak ${megabytes(peak)} ` +
    `(${await page.$eval('#LakesSummary', (e) => e.textContent)})`);

  for (const title of ['Average TSI', 'Lake Name', 'Watershed Area']) {
    const took = await page.evaluate((name) => {
      const button = [...document.querySelectorAll('#LakesGrid thead button')].find((b) => b.textContent === name);
      const t = performance.now();
      button.click();
      return performance.now() - t;
    }, title);
    console.log(`sorting ${lakes} lakes by ${title}: ${seconds(took)}`);
  }
  const jumps = await page.evaluate(async () => {
    const scroller = document.getElementById('LakesScroller');
    const frame = () => new Promise((done) => requestAnimationFrame(() => done()));
    let slowest = 0;
    for (let i = 0; i < 50; i += 1) {
      const t = performance.now();
      scroller.scrollTop = Math.random() * scroller.scrollHeight;
      await frame();
      await frame();
      slowest = Math.max(slowest, performance.now() - t);
    }
    return slowest;
  });
  console.log(`a jump in the table drawn in at most ${jumps.toFixed(0)} ms (two frames)`);

  // The same table assessed again with a target chosen after it was loaded, then with another:
  // the table on show stays until the new results are all in.
  for (const target of ['tp=20', 'chla=10']) {
    const before = await page.$eval('#LakesSummary', (e) => e.textContent);
    let againPeak = tabBytes(pid);
    const againSampler = setInterval(() => { againPeak = Math.max(againPeak, tabBytes(pid)); }, 100);
    const again = Date.now();
    await page.$eval('#TableTarget', (e, text) => {
      e.value = text;
      e.dispatchEvent(new Event('change'));
    }, target);
    await page.waitForFunction((text) => document.getElementById('AssessRow').hidden &&
      document.getElementById('LakesSummary').textContent !== text, { timeout: 600000, polling: 200 }, before);
    clearInterval(againSampler);
    peak = Math.max(peak, againPeak);
    console.log(`${lakes} lakes assessed again with the target ${target} in ${seconds(Date.now() - again)}, ` +
      `tab peak ${megabytes(againPeak)} (${await page.$eval('#LakesSummary', (e) => e.textContent)})`);
  }
  clearInterval(sampler);
  console.log(`tab peak over the whole run ${megabytes(peak)}`);

  // Monitoring samples with their lakes table, into a tab that has just been opened.
  const samples = join(work, `bench-samples-${sampleRows}.csv`);
  const samplesLakes = join(work, `bench-samples-${sampleRows}-lakes.csv`);
  execFileSync(cli, ['samples', '--generate', String(sampleRows), '-o', samples, '--lakes-out', samplesLakes]);
  await page.reload();
  await page.waitForSelector('body[data-ready=true]');
  await page.click('#TableView');
  let samplesPeak = tabBytes(pid);
  const before = samplesPeak;
  const samplesSampler = setInterval(() => { samplesPeak = Math.max(samplesPeak, tabBytes(pid)); }, 100);
  await page.click('#ImportSamplesBtn');
  await (await page.$('#SamplesFile')).uploadFile(samples);
  await (await page.$('#SamplesLakesFile')).uploadFile(samplesLakes);
  const imported = Date.now();
  await page.click('#SamplesImportBtn');
  await page.waitForFunction(() => document.getElementById('LakesSummary').textContent.includes('Samples:'),
    { timeout: 600000, polling: 200 });
  clearInterval(samplesSampler);
  console.log(`${sampleRows} sample rows imported and assessed in ${seconds(Date.now() - imported)}, tab ` +
    `${megabytes(before)} before, peak ${megabytes(samplesPeak)} (${await page.$eval('#LakesSummary', (e) => e.textContent)})`);
} finally {
  await browser.close();
}
