// What the page's tests share in every browser: the accessible names of the form, the tally
// of checks, the native trophex-cli's answers, and the steps that type lakes in, open data
// files, print and keep the lake across a reload, each compared with the native runner.
// A test calls useFiles first with the page, the runner, its lakes and its work folder.
import { execFileSync } from 'node:child_process';
import { mkdirSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

let pagePath;
let cli;
let lakesPath;
let work;
export function useFiles(files) {
  ({ pagePath, cli, lakesPath, work } = files);
}

export const Header = 'TROPHEX 1.0 Data File';

// The accessible names of the inputs (in the data file's order of their controls) and of
// the result boxes, with the controls of the native output they show.
export const InputNames = [['NameEditBox', 'Lake Name'], ['EcoRegComboBox', 'Ecoregion'],
  ['WareaEditBox', 'Watershed Area'], ['WareaComboBox', 'Watershed Area unit'],
  ['LareaEditBox', 'Surface Area'], ['LareaComboBox', 'Surface Area unit'],
  ['DepthEditBox', 'Mean Depth'], ['DepthComboBox', 'Mean Depth unit'],
  ['TPeditBox', 'Total Phosphorus'], ['TPunitComboBox', 'Total Phosphorus unit'],
  ['ChlrAeditBox', 'Chlorophyll a'], ['ChlrAunitComboBox', 'Chlorophyll a unit'],
  ['SechiEditBox', 'Secchi Disk'], ['SechiUnitComboBox', 'Secchi Disk unit'],
  ['AlkalinityEditBox', 'Alkalinity'], ['AlkalinityUnitComboBox', 'Alkalinity unit'],
  ['StreamEditBox', 'Stream P (ug/L)'], ['PrecipEditBox', 'Precipitation (m/yr)'],
  ['EvapEditBox', 'Evaporation (m/yr)'], ['RunoffEditBox', 'Runoff (m/yr)'], ['AtmosEditBox', 'Atom. Load (kg/km2 yr)'],
  ...['V1EditBox', 'V2Editbox', 'V3EditBox', 'V4EditBox', 'V5EditBox', 'V6EditBox', 'V7EditBox', 'V8EditBox',
    'S1EditBox', 'S2EditBox'].map((control) => [control, control.slice(0, 2)])];
export const ResultNames = [['AvgInTPEditBox', 'Average TP Inflow'], ['PhosLoadEditBox', 'TP Load'],
  ['CVtpEditBox', 'Chiadudani/Vighi TP'], ['PhosRetEditBox', 'Phos Retention Coef'], ['OutVolEditBox', 'Lake Outflow'],
  ['ResTimeEditBox', 'Residence Time'], ['WatLoadEditBox', 'Areal Water Load'], ['AvgTSIeditBox', 'Average TSI'],
  ['PhosTSIeditBox', 'TPhos TSI'], ['ChlrATSIeditBox', 'Chlor a TSI'], ['SecchiTSIeditBox', 'Secchi TSI']];
const Grids = [['CompStringGrid', 'TRPHEX Model Predictions'], ['ChlrStringGrid', 'Chlorophyll A Interval Frequencies (%)']];
// The batch's columns for the main-window inputs, and the model unit an empty unit means.
const Columns = { name: 'NameEditBox', ecoregion: 'EcoRegComboBox', watershed_area: 'WareaEditBox',
  lake_area: 'LareaEditBox', mean_depth: 'DepthEditBox', total_phosphorus: 'TPeditBox', chlorophyll_a: 'ChlrAeditBox',
  secchi_depth: 'SechiEditBox', alkalinity: 'AlkalinityEditBox', runoff: 'RunoffEditBox', stream_p: 'StreamEditBox' };
const ModelUnits = { WareaComboBox: 'km2', LareaComboBox: 'km2', DepthComboBox: 'm', TPunitComboBox: 'ug/L',
  ChlrAunitComboBox: 'ug/L', SechiUnitComboBox: 'm', AlkalinityUnitComboBox: 'meq/L' };
// Faults put into every seventh lake, so that failing lakes are among them.
const Spoilers = [['WareaEditBox', ''], ['DepthEditBox', '12x'], ['TPunitComboBox', 'ppm'], ['DepthEditBox', '0'],
  ['SechiEditBox', '-1'], ['LareaEditBox', '1e999'], ['AlkalinityEditBox', 'abc'], ['RunoffEditBox', '.']];

export const aria = (name, role) => `::-p-aria([name=${JSON.stringify(name)}]${role ? `[role="${role}"]` : ''})`;

let passed = 0;
let failed = 0;
export function check(ok, what) {
  if (ok) passed += 1;
  else {
    failed += 1;
    console.log(`FAIL: ${what}`);
  }
}
// The test's last line: "NAME: N passed, M failed".
export const tally = (name) => `${name}: ${passed} passed, ${failed} failed`;
export const anyFailed = () => failed > 0;
export const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);
const controlIndex = Object.fromEntries(InputNames.map(([control], index) => [control, index]));
export const dataFile = (texts) => Buffer.from([Header, ...texts].map((line) => `${line}\r\n`).join(''), 'utf8');

function lakes() {
  const [header, ...rows] = readFileSync(lakesPath, 'utf8').trim().split('\n').map((line) => line.split(','));
  return rows.map((row, number) => {
    const wanted = {};
    header.forEach((column, i) => {
      const control = Columns[column];
      if (control && (controlIndex[control] < 16 || row[i] !== '')) wanted[control] = row[i];
      if (column.endsWith('_unit')) {
        const unitControl = InputNames[controlIndex[Columns[column.slice(0, -5)]] + 1][0];
        wanted[unitControl] = row[i] || ModelUnits[unitControl];
      }
    });
    if (number % 7 === 3) {
      const [control, text] = Spoilers[(number / 7 | 0) % Spoilers.length];
      wanted[control] = text;
    }
    return wanted;
  });
}

export function native(files, extra = []) {
  let out;
  try {
    out = execFileSync(cli, ['--json', ...extra, ...files], { encoding: 'utf8', maxBuffer: 1 << 28 });
  } catch (error) {
    out = error.stdout;  // status 1 when a file did not calculate
  }
  return out.trim().split('\n').map((line) => JSON.parse(line));
}

// The controls of the names, each the one of its name (within the element of selector scope)
// that is its control.
export async function handles(page, names, scope) {
  const found = {};
  const within = scope ? await page.$(scope) : page;
  for (const [control, name] of names) {
    const all = await within.$$(aria(name));
    const match = [];
    for (const handle of all) if (await handle.evaluate((e, c) => e.id === c, control)) match.push(handle);
    check(match.length === 1, `one control named "${name}" for ${control} (found ${all.length})`);
    found[control] = match[0];
  }
  return found;
}

export async function typeInto(page, handle, text) {
  await handle.focus();
  await handle.evaluate((e) => e.select());
  await page.keyboard.press('Backspace');
  if (text) await page.keyboard.type(text);
}

export async function shown(page) {
  return page.evaluate((results, grids, inputs) => {
    const value = (id) => document.getElementById(id).value;
    const rows = (id) => [...document.getElementById(id).rows].map((r) => [...r.cells].map((c) => c.textContent));
    return {
      controls: Object.fromEntries([...inputs, ...results].map(([control]) => [control, value(control)])),
      grids: Object.fromEntries(grids.map(([id]) => [id, rows(id)])),
      error: document.getElementById('ErrorDialog').open ? document.getElementById('error-text').textContent : null,
      focused: document.activeElement?.id,
    };
  }, ResultNames, Grids, InputNames);
}

export async function closeError(page) {
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => !document.getElementById('ErrorDialog').open);
  await page.evaluate(() => new Promise((done) => setTimeout(done, 20)));  // the dialog's close event moves the focus
}

export async function openPage(browser) {
  const page = await browser.newPage();
  const requests = [];
  page.on('request', (request) => { if (!/^(file|data|blob):/.test(request.url())) requests.push(request.url()); });
  page.on('pageerror', (error) => check(false, `page error: ${error.message}`));
  const started = Date.now();
  await page.goto(pathToFileURL(pagePath).href);
  await page.waitForSelector('body[data-ready=true]');
  console.log(`page ready ${Date.now() - started} ms after opening`);
  page.requests = requests;
  return page;
}

export async function typedLakes(page, inputs) {
  const wanted = lakes();
  const typed = [];
  for (const lake of wanted) {
    for (const [control, text] of Object.entries(lake)) {
      if (controlIndex[control] >= 16) continue;  // calibration inputs: in the Calibrate dialog, below
      await typeInto(page, inputs[control], text);
    }
    const calibration = Object.entries(lake).filter(([control]) => controlIndex[control] >= 16);
    if (calibration.length) {
      await page.click(`header ${aria('Calibrate', 'button')}`);
      for (const [control, text] of calibration) await typeInto(page, inputs[control], text);
      await page.keyboard.press('Enter');  // closes Calibrate and calculates
    } else {
      await inputs.SechiEditBox.focus();
      await page.keyboard.press('Enter');
    }
    const seen = await shown(page);
    if (seen.error) await closeError(page);
    seen.focused = await page.evaluate(() => document.activeElement?.id);
    typed.push(seen);
    if (calibration.length) {
      // the next lake takes its ecoregion's defaults again
      await page.evaluate(() => document.getElementById('CalibrateForm').open && document.getElementById('CalibrateForm').close());
    }
  }
  mkdirSync(join(work, 'lakes'), { recursive: true });
  const files = typed.map((seen, i) => {
    const file = join(work, 'lakes', `lake${String(i).padStart(4, '0')}.tpx`);
    writeFileSync(file, dataFile(InputNames.map(([control]) => seen.controls[control])));
    return file;
  });
  const expected = native(files);
  let failing = 0;
  typed.forEach((seen, i) => {
    const want = expected[i];
    const lake = `lake ${i + 1}`;
    if (!want.ok) {
      failing += 1;
      check(seen.error !== null && seen.error.split('\n')[0] === want.error,
        `${lake}: error "${seen.error}" against "${want.error}"`);
      if (want.field) check(seen.focused === want.field, `${lake}: focus on ${seen.focused} against ${want.field}`);
      return;
    }
    check(seen.error === null, `${lake}: unexpected error ${seen.error}`);
    for (const [control] of [...InputNames, ...ResultNames])
      check(seen.controls[control] === want.controls[control],
        `${lake}: ${control} shows "${seen.controls[control]}", native "${want.controls[control]}"`);
    for (const [grid] of Grids) check(same(seen.grids[grid], want[grid]), `${lake}: ${grid} differs from native`);
  });
  console.log(`${typed.length} lakes typed in, ${failing} of them failing`);
  check(failing > 0 && failing < typed.length, 'failing and calculating lakes among the typed ones');
  return files.filter((_, i) => expected[i].ok);
}

// Opens a file through the file input and waits until the form took it or refused it.
export async function openThroughInput(page, file) {
  await page.$eval('#NameEditBox', (e) => { e.value = '\u0001'; });
  await (await page.$('#OpenFile')).uploadFile(file);
  await page.waitForFunction(() => document.getElementById('ErrorDialog').open ||
    document.getElementById('NameEditBox').value !== '\u0001');
}

// The bytes of the file the browser downloaded into folder, once it finished writing it.
async function waitForDownload(folder, extension = '.tpx') {
  for (let tries = 0; tries < 200; tries += 1) {
    const files = readdirSync(folder);
    const done = files.filter((f) => f.endsWith(extension));
    if (done.length && !files.some((f) => /\.(part|crdownload)$/.test(f))) {
      // Taken once it has stopped growing: a busy browser may still be writing it.
      const bytes = readFileSync(join(folder, done[0]));
      await new Promise((r) => setTimeout(r, 50));
      if (statSync(join(folder, done[0])).size === bytes.length) return bytes;
      continue;
    }
    await new Promise((r) => setTimeout(r, 50));
  }
  return null;
}

// The bytes the browser downloads into folder (emptied first) when button (a selector or a
// handle) is clicked.
export async function downloadOf(page, button, folder, extension) {
  mkdirSync(folder, { recursive: true });
  for (const file of readdirSync(folder)) rmSync(join(folder, file));
  await (typeof button === 'string' ? page.click(button) : button.click());
  return waitForDownload(folder, extension);
}

// Load response targets by their place in the target list, with the runner's --target.
export const Targets = [[0, 'ecoregion'], [1, 'tp=20', '20'], [2, 'chla=7.5', '7.5'], [3, 'secchi=2.5', '2.5'],
  [4, 'tsi=45', '45'], [5, 'freq=20:5', '5', '20']];

export function runCli(args) {
  try {
    return execFileSync(cli, args, { encoding: 'utf8', maxBuffer: 1 << 26, stdio: ['ignore', 'pipe', 'pipe'] });
  } catch (error) {
    return error.stdout;
  }
}

// The native runner's load response of a file: the answer's sentences and the table's rows
// as it prints them, and its JSON.
export function nativeResponse(file, target, model) {
  const args = ['response', '--target', target, ...(model ? ['--model'] : [])];
  const lines = runCli([...args, file]).split('\n');
  const mode = lines.findIndex((line) => line.startsWith('  Mode'));
  const heading = lines.findIndex((line) => line.includes('Cut (%)'));
  return {
    answer: lines.slice(mode + 1, heading).map((line) => line.trim()),
    // Cells stand two spaces apart at least, as one ("to the bottom") holds single spaces.
    rows: lines.slice(heading + 1).filter((line) => line.trim()).map((line) => line.trim().split(/ {2,}/)),
    json: JSON.parse(runCli([...args, '--json', file])),
  };
}

export async function shownResponse(page) {
  return page.evaluate(() => ({
    answer: [...document.querySelectorAll('#AnswerLabel p')].map((p) => p.textContent),
    rows: [...document.querySelectorAll('#ResponseGrid tbody tr')].map((r) => [...r.cells].map((c) => c.textContent)),
    answerPercent: document.querySelector('#ResponseChart svg')?.dataset.answerPercent,
    value: document.getElementById('TargetValueComboBox').value,
  }));
}

// A PDF's number of pages, its text without white space, and its phrases (runs of text
// apart by two spaces or more in the text laid out).
function pdfText(file) {
  const pages = Number(/Pages:\s+(\d+)/.exec(execFileSync('pdfinfo', [file], { encoding: 'utf8' }))[1]);
  const text = execFileSync('pdftotext', ['-layout', file, '-'], { encoding: 'utf8' });
  return { pages, text: text.replace(/\s+/g, ''), phrases: text.split(/\s{2,}/).map((p) => p.replace(/\s+/g, '')).filter(Boolean) };
}

// Print and the load response's Print give, as PDF, one page with the words of the native
// runner's report of the same file.
export async function printed(page, file) {
  await openThroughInput(page, file);
  await page.evaluate(() => { window.print = () => {}; });
  for (const [button, native, name] of [[`header ${aria('Print', 'button')}`, [], 'report'],
    ['#ResponsePrintBtn', ['response'], 'response-report']]) {
    if (name === 'response-report') {
      await page.click(`#lake-view ${aria('Load Response', 'tab')}`);
      await page.select('#TargetComboBox', '0');
      if (!(await page.$eval('#AnchorCheckBox', (e) => e.checked))) await page.click('#AnchorCheckBox');
    }
    await page.click(button);
    const shown = join(work, `${name}-page.pdf`);
    const wanted = join(work, `${name}-native.pdf`);
    await page.pdf({ path: shown, preferCSSPageSize: true, printBackground: true });
    runCli([...native, '--report', wanted, file]);
    const [seen, want] = [pdfText(shown), pdfText(wanted)];
    check(seen.pages === 1, `${name}: ${seen.pages} pages printed`);
    const missing = want.phrases.filter((phrase) => !seen.text.includes(phrase));
    check(want.phrases.length > 40 && missing.length === 0 && seen.text.length === want.text.length,
      `${name}: the native report's texts missing from the page's: ${missing.join(' | ')}`);
  }
}

// The form's controls by their accessible names, those of a hidden page or a closed dialog
// found once shown.
export async function formControls(page) {
  const inputs = await handles(page, InputNames.slice(0, 16), '#MainForm');
  Object.assign(inputs, await handles(page, ResultNames.slice(0, 7), '#page-output'));
  Object.assign(inputs, await handles(page, [['CalcButton', 'Calculate'], ['ClearBtn', 'Clear'], ['CalibrateBtn', 'Calibrate'],
    ['OpenBtn', 'Open'], ['SaveBtn', 'Save'], ['PrintBtn', 'Print']], 'header'));
  await page.click(`#lake-view ${aria('TSI', 'tab')}`);
  Object.assign(inputs, await handles(page, ResultNames.slice(7), '#page-tsi'));
  await page.click(`#lake-view ${aria('Output', 'tab')}`);
  await page.click(`header ${aria('Calibrate', 'button')}`);
  Object.assign(inputs, await handles(page, InputNames.slice(16), '#CalibrateForm'));
  await page.keyboard.press('Escape');
  return inputs;
}

export async function storedLake(page) {
  await typeInto(page, (await handles(page, [['NameEditBox', 'Lake Name']], '#MainForm')).NameEditBox, 'Kept Lake');
  await page.click(aria('Calibrate', 'button'));  // the calibration set Defaults puts back is kept as typing is
  await typeInto(page, await page.$('#StreamEditBox'), '999');
  await page.click(aria('Defaults', 'button'));
  const stream = await page.$eval('#StreamEditBox', (e) => e.value);
  await page.keyboard.press('Escape');
  await page.reload();
  await page.waitForSelector('body[data-ready=true]');
  check(await page.$eval('#NameEditBox', (e) => e.value) === 'Kept Lake', 'the lake typed is kept across a reload');
  check(stream !== '999' && await page.$eval('#StreamEditBox', (e) => e.value) === stream,
    `the calibration set of Defaults is kept (${stream})`);
  await page.click(`header ${aria('Clear', 'button')}`);
  await page.reload();
  await page.waitForSelector('body[data-ready=true]');
  check(await page.$eval('#NameEditBox', (e) => e.value) === '', 'Clear empties the stored lake');
}

// Runs the checks of one browser, then reports: the page made no network request, the time
// taken, the tally of checks under name; the process ends failed when any check failed.
export async function runChecks(name, browser, work, checks) {
  const started = Date.now();
  try {
    const page = await checks(started);
    check(page.requests.length === 0, `no network request (${page.requests.join(' ')})`);
    console.log(`all checks after ${((Date.now() - started) / 1000).toFixed(1)} s; screenshots in ${work}`);
  } catch (error) {
    check(false, error.stack);
  } finally {
    await browser.close();
  }
  console.log(tally(name));
  process.exit(anyFailed() ? 1 : 0);
}
