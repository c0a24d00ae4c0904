// Drives the page in headless Chromium from file:// and compares what it shows with the
// native trophex-cli: generated lakes typed in through the accessible names, output units,
// data files opened, saved and dropped, the stored lake, and axe-core's WCAG 2.1 A and AA
// rules in every state reached; screenshots at 1280 and 390 pixels wide.
//   node web/test/web-test.mjs PAGE.html TROPHEX-CLI LAKES.csv WORKDIR [TABLE-LAKES]
import puppeteer from 'puppeteer-core';
import { execFileSync, spawnSync } from 'node:child_process';
import { mkdirSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join, resolve } from 'node:path';
import {
  Header, InputNames, ResultNames, aria, check, closeError, dataFile, downloadOf, formControls, handles,
  native, nativeResponse, openPage, openThroughInput, printed, runChecks, runCli, same, shown, shownResponse, storedLake,
  Targets, typedLakes, typeInto, useFiles,
} from './pagecheck.mjs';

const [pagePath, cli, lakesPath, work] = process.argv.slice(2, 6).map((p) => resolve(p));
const tableLakes = Number(process.argv[6] || 20000);
useFiles({ pagePath, cli, lakesPath, work });
const axeSource = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
const SelectorNames = [['AvgInTPunits', 'Average TP Inflow unit'], ['PhosLoadUnits', 'TP Load unit'],
  ['CVtpUnits', 'Chiadudani/Vighi TP unit'], ['OutVolUnits', 'Lake Outflow unit'],
  ['ResTimeUnits', 'Residence Time unit'], ['WatLoadUnits', 'Areal Water Load unit']];
async function axe(page, state) {
  if (!(await page.evaluate(() => 'axe' in window))) await page.evaluate(axeSource);
  const result = await page.evaluate(() =>
    window.axe.run(document, { runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa'] } }));
  const found = result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
  check(found.length === 0, `axe-core in ${state}: ${found.join('; ')}`);
}

async function outputUnits(page, files) {
  const selectors = await handles(page, SelectorNames);
  const units = await page.evaluate((names) => names.map(([id]) =>
    [...document.getElementById(id).options].map((o) => o.value)), SelectorNames);
  for (const file of files.slice(0, 3)) {
    await openThroughInput(page, file);
    for (let choice = 0; choice < 7; choice += 1) {
      const picks = SelectorNames.map(([id], s) => [id, units[s][choice % units[s].length]]);
      for (const [id, unit] of picks) await selectors[id].select(unit);
      const want = native([file], picks.flatMap(([id, unit]) => ['--unit', `${id}=${unit}`]))[0];
      const seen = await shown(page);
      for (const [control] of ResultNames.slice(0, 7))
        check(seen.controls[control] === want.controls[control],
          `${file} in ${picks.map((p) => p[1]).join(' ')}: ${control} "${seen.controls[control]}" against "${want.controls[control]}"`);
    }
  }
}

async function dataFiles(page, root) {
  const cdp = await page.createCDPSession();
  const downloads = join(work, 'downloads');
  rmSync(downloads, { recursive: true, force: true });
  mkdirSync(downloads, { recursive: true });
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  const candidates = [...readdirSync(join(root, 'examples')).map((f) => join(root, 'examples', f)),
    ...readdirSync(join(root, 'tests/golden')).map((f) => join(root, 'tests/golden', f))].filter((f) => f.endsWith('.tpx'));
  let roundTrips = 0;
  for (const file of candidates) {
    const bytes = readFileSync(file);
    const want = native([file])[0];
    await openThroughInput(page, file);
    const seen = await shown(page);
    if (seen.error) await closeError(page);
    if (!want.ok) check(seen.error?.split('\n')[0] === want.error, `${file}: "${seen.error}", native "${want.error}"`);
    else for (const [control] of InputNames) check(seen.controls[control] === want.controls[control], `${file}: ${control} opened`);
    if (!bytes.toString('latin1').startsWith(Header)) continue;
    const texts = InputNames.map(([control]) => seen.controls[control]);
    const saved = await downloadOf(page, aria('Save', 'button'), downloads, '.tpx');
    check(saved && Buffer.compare(saved, dataFile(texts)) === 0, `${file}: Save writes the data file of the texts opened`);
    if (saved && Buffer.compare(saved, bytes) === 0) roundTrips += 1;
  }
  check(roundTrips >= 2, `data files saved byte for byte as they were opened (${roundTrips})`);
  // A file dropped on the page opens as the file input does; while a dialog is open, it is left alone.
  const dropped = readFileSync(candidates.find((f) => f.endsWith('example.tpx')), 'latin1');
  await typeInto(page, (await handles(page, [['NameEditBox', 'Lake Name']])).NameEditBox, 'before the drop');
  const drop = () => page.evaluate((text) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([Uint8Array.from(text, (c) => c.charCodeAt(0))], 'dropped.tpx'));
    document.querySelector('main').dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, dropped);
  check(await page.evaluate(() => { // text dropped in a box is the browser's to put in
    const transfer = new DataTransfer();
    transfer.setData('text/plain', 'dropped text');
    return document.getElementById('NameEditBox').dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }), 'text dropped in a box is left to the browser');
  await page.click(aria('Calibrate', 'button'));
  await drop().then(() => new Promise((done) => setTimeout(done, 200)));
  check(await page.$eval('#NameEditBox', (e) => e.value) === 'before the drop', 'a file dropped on a dialog is left alone');
  await page.keyboard.press('Escape');
  await drop();
  await page.waitForFunction(() => document.getElementById('NameEditBox').value === 'Example Lake');
  check(true, 'a dropped data file opens');
  const hostile = join(work, 'hostile.tpx');
  for (const bytes of [Buffer.alloc(0), Buffer.from('\u0000\u00ff garbage'), Buffer.from(`${Header.slice(0, -1)}\r\n`)]) {
    writeFileSync(hostile, bytes);
    await openThroughInput(page, hostile);
    const seen = await shown(page);
    check(seen.error === native([hostile])[0].error, `hostile file refused with "${seen.error}"`);
    await closeError(page);
  }
}

async function loadResponses(page, files) {
  await page.click(aria('Load Response', 'tab'));
  const [kind, value, anchor] = [await page.$(aria('Target')), await page.$(aria('Target value')),
    await page.$(aria('Anchor to observed values'))];
  check(kind && value && anchor, 'the load response controls are found by their names');
  let compared = 0;
  for (const file of files) {
    await openThroughInput(page, file);
    for (const model of [false, true]) {
      if ((await anchor.evaluate((e) => e.checked)) === model) await anchor.click();
      for (const [choice, target, text, bound] of Targets) {
        await kind.select(String(choice));
        if (bound) await typeInto(page, await page.$(aria('Chlorophyll a level')), bound);
        if (text) await typeInto(page, value, text);
        const seen = await shownResponse(page);
        const want = nativeResponse(file, target, model);
        const what = `${file} ${target}${model ? ' --model' : ''}`;
        check(same(seen.answer, want.answer), `${what}: answer ${JSON.stringify(seen.answer)} against ${JSON.stringify(want.answer)}`);
        check(same(seen.rows, want.rows), `${what}: table differs from native`);
        if (want.json.result.status === 'needed')
          check(Number(seen.answerPercent) === want.json.result.reduction_pct, `${what}: answer marked at ${seen.answerPercent}`);
        if (want.json.result.status === 'unreachable') check(seen.answerPercent === undefined, `${what}: no answer marked`);
        if (target === 'ecoregion') check(seen.value === want.json.target.text.split(' ')[3], `${what}: ecoregion goal ${seen.value}`);
        compared += 1;
      }
    }
  }
  await kind.select('1');
  const order = ['TargetComboBox', 'TargetValueComboBox', 'AnchorCheckBox', 'ShowChartButton', 'ResponsePrintBtn'];
  await page.focus('#TargetComboBox');
  for (const id of order.slice(1))
    check(await page.keyboard.press('Tab').then(() => page.evaluate(() => document.activeElement.id)) === id, `Tab reaches ${id}`);
  // The Chart and Table switch, worked from the keyboard: one of the two on show.
  for (const [name, key, chart] of [['Table', 'ArrowRight', false], ['Chart', 'ArrowLeft', true]]) {
    await page.focus('[name=ResponseView]:checked');
    await page.keyboard.press(key);
    const seen = await (await page.$(aria(name, 'radio'))).evaluate((e) => [e === document.activeElement && e.checked,
      !document.getElementById('ResponseChart').hidden, !document.getElementById('ResponseTableArea').hidden]);
    check(same(seen, [true, chart, !chart]), `${key} on the switch shows the ${name.toLowerCase()} alone: ${seen}`);
    if (!chart) await axe(page, 'the Load Response table');
  }
  await typeInto(page, value, '-1');
  check((await shownResponse(page)).answer[0] === 'The tp target must be above 0 ug/L.', 'an unreadable target says why');
  await page.click('#ResponsePrintBtn');
  check((await shown(page)).error === 'The tp target must be above 0 ug/L.', 'Print of an unreadable target says why');
  await closeError(page);
  await axe(page, 'the Load Response page');
  for (const width of [1280, 390]) {
    await page.setViewport({ width, height: 900 });
    await typeInto(page, value, '20');
    await page.screenshot({ path: join(work, `response-${width}.png`), fullPage: true });
  }
  await page.setViewport({ width: 1280, height: 900 });
  console.log(`${compared} load responses compared with the native runner`);
}

// The table of lakes: generated lakes assessed in the page's workers and downloaded, with
// and without a target, against the native batch byte for byte; a run cancelled halfway
// keeps the table on show; sorting, filters, a lake opened in the form, a header refused.
async function lakesTable(page, count) {
  const table = join(work, 'table.csv');
  runCli(['batch', '--generate', String(count), '--seed', '7', '-o', table]);
  const cdp = await page.createCDPSession();
  const downloads = join(work, 'table-downloads');
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  const summary = () => page.$eval('#LakesSummary', (e) => e.textContent);
  const assessed = async (before) => {
    await page.waitForFunction((text) => document.getElementById('AssessRow').hidden &&
      document.getElementById('LakesSummary').textContent !== text, { timeout: 120000 }, before);
  };
  const downloaded = () => downloadOf(page, aria('Download Results', 'button'), downloads, '.csv');
  const nativeBatch = (extra) => {
    const out = join(work, 'native-table.csv');
    runCli(['batch', table, '-o', out, ...extra]);
    return readFileSync(out);
  };

  await page.click(aria('Lakes Table', 'button'));
  await axe(page, 'the empty table of lakes');
  const started = Date.now();
  await (await page.$('#OpenTableFile')).uploadFile(table);
  await assessed('');
  console.log(`${count} lakes assessed in the page in ${Date.now() - started} ms`);
  const plain = await summary();
  check(same(await downloaded(), nativeBatch([])), 'the table downloaded equals the native batch');
  const target = await page.$(aria('Target'));
  for (const [text, model] of [['tp=20', false], ['freq=20:10', true]]) {
    const before = await summary();
    if ((await page.$eval('#TableAnchor', (e) => e.checked)) === model) await page.click('#TableAnchor');
    await typeInto(page, target, text);
    await page.keyboard.press('Enter');
    await assessed(before);
    const want = nativeBatch(['--target', text, ...(model ? ['--model'] : [])]);
    check(same(await downloaded(), want), `the table with --target ${text}${model ? ' --model' : ''} equals the native batch`);
  }
  check((await summary()).includes('; target met'), 'the summary counts the target status');
  await axe(page, 'the table of lakes with a target');

  // A larger table cancelled halfway: the table on show and its target stay.
  const withTarget = await summary();
  const large = join(work, 'large.csv');
  runCli(['batch', '--generate', String(Math.max(5 * count, 100000)), '-o', large]);
  await (await page.$('#OpenTableFile')).uploadFile(large);
  await page.waitForFunction(() => document.getElementById('AssessProgress').value > 0, { timeout: 60000 });
  for (const button of [aria('Lake', 'button'), aria('Calibrate', 'button')]) await page.click(button);
  await page.keyboard.press('Escape');  // closes Calibrate, and leaves the run alone
  await page.click(aria('Lakes Table', 'button'));
  check(!(await page.$eval('#AssessRow', (e) => e.hidden)), 'Escape in a dialog of the form leaves the run going');
  await page.click(aria('Cancel', 'button'));
  await page.waitForFunction(() => document.getElementById('AssessRow').hidden);
  check(await summary() === withTarget && await target.evaluate((e) => e.value) === 'freq=20:10',
    'a cancelled run keeps the table and its target');
  check(await page.evaluate(() => document.activeElement.id) === 'OpenTableBtn', 'Open Table has the focus after Cancel');
  check(same(await downloaded(), nativeBatch(['--target', 'freq=20:10', '--model'])), 'a cancelled run keeps nothing of its own');

  // Failed lakes filtered, then the lakes sorted by their average index, then one opened.
  await page.select('#StatusFilter', '2');
  const failedRows = nativeBatch([]).toString('utf8').trim().split('\n').slice(1).filter((row) => !row.endsWith(',ok')).length;
  check((await summary()).startsWith(`${failedRows} of `), `the failed lakes filtered (${await summary()})`);
  await page.select('#StatusFilter', '0');
  const column = await page.$$eval('#LakesGrid thead th', (heads) => heads.findIndex((h) => h.textContent === 'Average TSI'));
  await page.click(`#LakesGrid thead th:nth-child(${column + 1}) button`);
  const sorted = await page.$$eval(`#LakesGrid tbody tr:not([hidden]) td:nth-child(${column + 1})`, (cells) => cells.map((c) => Number(c.textContent)));
  check(sorted.length > 5 && sorted.every((value, i) => i === 0 || sorted[i - 1] <= value), `sorted by the average index: ${sorted}`);
  await page.screenshot({ path: join(work, 'table-1280.png') });
  await page.setViewport({ width: 390, height: 900 });
  await page.screenshot({ path: join(work, 'table-390.png') });
  await axe(page, 'the table of lakes 390 pixels wide');
  await page.setViewport({ width: 1280, height: 900 });
  await page.focus('#LakesScroller');
  await page.keyboard.press('ArrowDown');
  const name = await page.$eval('#LakesGrid tbody tr.current td:nth-child(2)', (e) => e.textContent);
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => !document.getElementById('lake-view').hidden);
  check(await page.$eval('#NameEditBox', (e) => e.value) === name, `the lake opened from the table is in the form (${name})`);
  const errorShown = await page.$eval('#ErrorDialog', (e) => e.open);
  if (errorShown) await closeError(page);
  else check(await page.evaluate(() => document.activeElement.id) === 'NameEditBox', 'the lake opened has the focus');

  // Odd tables, with the target chosen last: each gives what the native batch writes, or is
  // refused with its reason.
  const Header = 'name,ecoregion,watershed_area,lake_area,mean_depth,total_phosphorus,chlorophyll_a,secchi_depth';
  const Odd = [
    ['bom-crlf.csv', `\ufeff${Header}\r\nA,NLF,10,1,5,30,10,2\r\nB,CHF,20,2,3,50,20,1\r\n`],
    ['quoted.csv', `${Header}\n"Lake, ""North""\nBay",NLF,10,1,5,30,10,2\n"x",WCP,1,1,1,1,1,1`],
    ['blank-lines.csv', `\n\n${Header}\n\nA,NLF,10,1,5,30,10,2\n,,,\n`],
    ['header-only.csv', `${Header}\n`],
    ['cr-only.csv', `${Header}\rA,NLF,10,1,5,30,10,2\rB,NLF,x,1,5,30,10,2\r`],
    ['empty.csv', ''],
    ['no-needed-column.csv', 'name,ecoregion\nA,NLF\n'],
    ['binary.csv', Buffer.from([0, 255, 254, 10, 44, 34, 13, 0, 200, 10])],
  ];
  await page.click(aria('Lakes Table', 'button'));
  for (const [name, bytes] of Odd) {
    const odd = join(work, name);
    writeFileSync(odd, bytes);
    const out = join(work, 'native-odd.csv');
    rmSync(out, { force: true });
    let reason = null;
    try {
      execFileSync(cli, ['batch', odd, '-o', out, '--target', 'freq=20:10', '--model'], { stdio: ['ignore', 'pipe', 'pipe'] });
    } catch (error) {
      reason = error.stderr.toString().trim().replace(/^trophex-cli batch: /, '');
    }
    const before = await summary();
    await (await page.$('#OpenTableFile')).uploadFile(odd);
    await page.waitForFunction((file) => document.getElementById('ErrorDialog').open ||
      (document.getElementById('AssessRow').hidden && document.getElementById('LakesStatus').textContent === file),
    { timeout: 60000 }, name);
    if (reason !== null) {
      const refused = await page.$eval('#error-text', (e) => e.textContent);
      check(refused.startsWith(`${name}\n`) && refused.toLowerCase().includes(reason.toLowerCase()),
        `${name} refused with ${JSON.stringify(refused)}, native "${reason}"`);
      await closeError(page);
      check(await summary() === before, `${name}: a refused table keeps the table on show`);
    } else {
      check(same(await downloaded(), readFileSync(out)), `${name}: the table downloaded equals the native batch`);
    }
  }
  await page.click(aria('Lake', 'button'));
}

// Monitoring samples imported into the table of lakes: each shape with and without its lakes
// table downloaded against the native batch over the native lake-years, the summary and the
// skipped samples against the native summary, the trends' sentences against the native
// trends table, a file refused with the engine's reason, and an import cancelled.
const TrendTitles = { tsi_tp: 'Total phosphorus index', tsi_chla: 'Chlorophyll a index',
  tsi_secchi: 'Secchi depth index', tsi_average: 'Average index' };
async function monitoringSamples(page) {
  const cdp = await page.createCDPSession();
  const downloads = join(work, 'samples-downloads');
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  const downloaded = (button, ending) => downloadOf(page, button, downloads, ending);
  const summary = () => page.$eval('#LakesSummary', (e) => e.textContent);
  // Imports through the dialog; with cancel, the run is cancelled once the reading is under way.
  const importSamples = async (samples, lakes, cancel = false) => {
    const before = await summary();
    await page.click(aria('Import Monitoring Samples…', 'button'));
    await (await page.$('#SamplesFile')).uploadFile(samples);
    if (lakes) await (await page.$('#SamplesLakesFile')).uploadFile(lakes);
    await page.click(aria('Import', 'button'));
    if (cancel) {
      await page.waitForFunction(() => document.getElementById('AssessProgress').value > 0, { polling: 20 });
      await page.click(aria('Cancel', 'button'));
    }
    await page.waitForFunction((text) => document.getElementById('ErrorDialog').open ||
      (document.getElementById('AssessRow').hidden && document.getElementById('LakesSummary').textContent !== text),
    { timeout: 120000 }, cancel ? null : before);
  };
  // The native lake-years assessed by the native batch: what the page's table holds.
  const nativeTable = (samples, lakes) => {
    const lakeYears = join(work, 'native-lake-years.csv');
    const { stderr } = spawnSync(cli, ['samples', samples, ...(lakes ? ['--lakes', lakes] : []), '-o', lakeYears,
      '--trends', join(work, 'native-trends.csv')], { encoding: 'utf8' });
    if (!lakes) {  // without a lakes table, each lake-year is listed as having no ecoregion
      const [header, ...rows] = readFileSync(lakeYears, 'utf8').split(/(?<=\n)/);
      const widened = (row, extra) => row.replace(/(\r?\n)?$/, (end) => extra + (end || ''));
      writeFileSync(lakeYears, [widened(header, ',ecoregion,watershed_area,lake_area,mean_depth'),
        ...rows.map((row) => widened(row, ',,,,'))].join(''));
    }
    const out = join(work, 'native-samples-table.csv');
    runCli(['batch', lakeYears, '-o', out]);
    return { table: readFileSync(out), stderr };
  };

  await page.click(aria('Lakes Table', 'button'));
  await typeInto(page, await page.$('#TableTarget'), 'No target');  // the table's own tests leave one
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.getElementById('AssessRow').hidden, { timeout: 120000 });
  const generated = join(work, 'samples-generated.csv');
  const generatedLakes = join(work, 'samples-generated-lakes.csv');
  runCli(['samples', '--generate', '3000', '--seed', '3', '-o', generated, '--lakes-out', generatedLakes]);
  const example = (name) => join(process.cwd(), 'examples', name);
  const cases = [...['samples_wqp.csv', 'samples_long.csv', 'samples_wide.csv'].flatMap((name) =>
    [[name, example('samples_lakes.csv')], [name, null]]), ['samples_generated.csv', generatedLakes]];
  for (const [name, lakes] of cases) {
    const samples = name === 'samples_generated.csv' ? generated : example(name);
    const what = `${name}${lakes ? ' with its lakes table' : ''}`;
    await importSamples(samples, lakes);
    const native = nativeTable(samples, lakes);
    const table = await downloaded(aria('Download Results', 'button'), '.csv');
    if (table && !same(table, native.table)) writeFileSync(join(work, `page-table-of-${name}`), table);  // to compare
    check(same(table, native.table),
      `${what}: the table downloaded equals the native batch over the native lake-years (${table?.length} bytes)`);
    const [, rows, results, accepted] = /^(\d+) rows read, (\d+) results\naccepted: (.*)\n/.exec(native.stderr);
    const acceptedCount = accepted.split(', ').reduce((sum, part) => sum + Number(part.split(' ').pop()), 0);
    const counts = /\. Samples: ([\d,]+) rows read, ([\d,]+) results accepted, ([\d,]+) skipped$/.exec(await summary());
    check(same(counts?.slice(1).map((count) => Number(count.replace(/,/g, ''))),
      [Number(rows), acceptedCount, Number(results) - acceptedCount]), `${what}: the summary counts the samples (${await summary()})`);
  }
  // The same samples dropped on the dialog give the same table.
  const generatedSummary = await summary();
  await page.click(aria('Import Monitoring Samples…', 'button'));
  await page.$eval('#SamplesDialog', (dialog, samples, lakes) => {
    const dropped = new DataTransfer();
    dropped.items.add(new File([samples], 'dropped.csv'));
    dialog.dispatchEvent(new DragEvent('drop', { dataTransfer: dropped, bubbles: true, cancelable: true }));
  }, readFileSync(generated, 'utf8'));
  await (await page.$('#SamplesLakesFile')).uploadFile(generatedLakes);
  await page.click(aria('Import', 'button'));
  await page.waitForFunction(() => document.getElementById('AssessRow').hidden &&
    document.getElementById('LakesStatus').textContent === 'dropped.csv', { timeout: 60000 });
  check(await summary() === generatedSummary, 'samples dropped on the dialog give the same table');
  await page.click(aria('Skipped Samples', 'button'));
  check(await page.$eval('#SkippedSamplesText', (e) => e.textContent) === nativeTable(generated, generatedLakes).stderr,
    'the skipped samples are listed as the native summary lists them');
  await axe(page, 'the skipped samples');

  // The trends of the lake of the current row against the native trends table.
  await page.focus('#LakesScroller');
  await page.keyboard.press('End');
  await page.click(aria('Trend of the Lake…', 'button'));
  await page.waitForSelector('#TrendDialog[open] svg');
  const shownWords = await page.$$eval('#TrendAnswer p', (lines) => lines.map((line) => line.textContent));
  const lake = await page.$eval('#trend-title', (e) => e.textContent.replace(/^Carlson's indices of (.*) by year.*$/, '$1'));
  const wanted = readFileSync(join(work, 'native-trends.csv'), 'utf8').trim().split('\n').slice(1)
    .map((row) => row.split(',')).filter((row) => row[0] === lake);
  check(wanted.length === shownWords.length && wanted.length > 0 && wanted.every((row, i) => {
    const [, index, years, first, last, , , , p, , trend] = row;
    return shownWords[i].startsWith(`${TrendTitles[index]}: ${trend}`) &&
      shownWords[i].includes(` over ${years} years (${first} to ${last}; `) && shownWords[i].includes(`p = ${Number(p).toFixed(3)}).`);
  }), `the trends of ${lake} in words agree with the native trends table: ${shownWords.join(' | ')}`);
  check(await page.$$eval('#TrendChart svg line[stroke-dasharray]', (lines) => lines.length) === wanted.length + 1,
    'each index has its dashed Sen line');
  check((await downloaded(aria('Download SVG', 'button'), '.svg'))?.toString().includes(`Trophic state of ${lake}`),
    'the trend chart downloads as SVG');
  check((await downloaded(aria('Download PNG', 'button'), '.png'))?.subarray(1, 4).toString() === 'PNG',
    'the trend chart downloads as PNG');
  await axe(page, 'the trend view');
  for (const width of [1280, 390]) {
    await page.setViewport({ width, height: 900 });
    await page.click(aria('Close', 'button'));
    await page.click(aria('Trend of the Lake…', 'button'));
    await page.screenshot({ path: join(work, `trend-${width}.png`) });
  }
  await page.click(aria('Close', 'button'));
  await page.screenshot({ path: join(work, 'samples-390.png'), fullPage: true });
  await axe(page, 'the samples table 390 pixels wide');
  await page.setViewport({ width: 1280, height: 900 });
  await page.screenshot({ path: join(work, 'samples-1280.png'), fullPage: true });

  // A lakes table is no samples table; a messy samples table has its rows skipped with the
  // native reasons; a large import cancelled keeps the table on show.
  const kept = await summary();
  let reason = '';
  try {
    execFileSync(cli, ['samples', example('samples_lakes.csv')], { stdio: ['ignore', 'pipe', 'pipe'] });
  } catch (error) {
    reason = error.stderr.toString().trim().replace(/^trophex-cli samples: /, '');
  }
  await importSamples(example('samples_lakes.csv'), null);
  const refused = await page.$eval('#error-text', (e) => e.textContent);
  check(reason !== '' && refused.toLowerCase().includes(reason.toLowerCase()), `a lakes table as samples refused: ${refused}`);
  await closeError(page);
  check(await summary() === kept, 'a refused samples table keeps the table on show');
  const messy = join(work, 'samples-messy.csv');
  writeFileSync(messy, '\ufeffsite;date;parameter;value;unit;flag\r\nA;2021-06-15;Phosphorus;0,02;mg/L;\r\n' +
    'A;15/06/2021;Phosphorus;20;ug/L;\r\nA;2021-07-01;Phosphorus;abc;ug/L;\r\nA;2021-07-02;Phosphorus;5;furlongs;\r\n' +
    'A;2021-07-03;Phosphorus;;ug/L;<\r\n"B;""x""";2021-07-04;Chlorophyll a;-3;ug/L;\r\nB;2021-12-01;Chlorophyll a;3;ug/L;\r\n' +
    ';;;;;\r\n\u0000\u00ff;2021-07-05;Secchi;1;m;\r\n');
  await importSamples(messy, null);
  await page.click(aria('Skipped Samples', 'button'));
  check(await page.$eval('#SkippedSamplesText', (e) => e.textContent) === nativeTable(messy, null).stderr,
    'a messy samples table has its rows skipped with the native reasons');
  const large = join(work, 'samples-large.csv');
  runCli(['samples', '--generate', '300000', '--seed', '5', '-o', large]);
  const beforeCancel = await summary();
  await importSamples(large, null, true);
  check(await summary() === beforeCancel, 'a cancelled import keeps the table on show');
  check(same(await downloaded(aria('Download Results', 'button'), '.csv'), nativeTable(messy, null).table),
    'a cancelled import keeps nothing of its own');
  await page.click(aria('Lake', 'button'));
}

// Help: every topic of the help file is a page here, reached from its list, from links
// between topics and from the Help buttons of Calibrate and the Load Response page.
async function helpTopics(page) {
  const file = readFileSync(join(process.cwd(), 'ui/help/trxhelp.hlp'), 'utf8');
  const topics = [...file.matchAll(/<a name="([^"]+)"><\/a>\s*<h[1-3]>([^<]*)/g)].map((m) => [m[1], m[2]]);
  await page.click(aria('Help', 'button'));
  const heading = () => page.$eval('#HelpTopic', (e) => e.querySelector('h1, h2, h3')?.textContent);
  check(await heading() === topics[0][1], 'Help opens at the first topic');
  for (const [name, title] of topics) {
    await page.click(`#HelpTopics a[data-topic="${name}"]`);
    check(await heading() === title, `the help topic ${name} shows "${title}"`);
  }
  await page.click('#HelpTopic a[href="#topic100"]').catch(() => page.click('#HelpTopics a[data-topic="topic0"]'));
  await axe(page, 'a help topic');
  await page.click(aria('Lake', 'button'));
  await page.click(aria('Calibrate', 'button'));
  await page.click('#CalibrateHelpBtn');
  check(await heading() === topics.find(([name]) => name === 'topic100')[1], 'Calibrate\'s Help shows its topic');
  await page.click(aria('Lake', 'button'));
  await page.click(aria('Load Response', 'tab'));
  await page.click('#ResponseHelpBtn');
  check(await heading() === topics.find(([name]) => name === 'topic200')[1], 'the Load Response page\'s Help shows its topic');
  await page.screenshot({ path: join(work, 'help-1280.png') });
  await page.click(aria('Lake', 'button'));
}

async function looks(page, file) {
  await openThroughInput(page, file);
  await axe(page, 'the Output page with results');
  for (const tab of ['Chlr A', 'Predictions', 'TSI']) {
    await page.click(aria(tab, 'tab'));
    await axe(page, `the ${tab} page`);
  }
  for (const width of [1280, 390]) {
    await page.setViewport({ width, height: 900 });
    await page.screenshot({ path: join(work, `page-${width}.png`), fullPage: true });
    const ticks = await page.$$eval('#TsiChart text.tick', (texts) => texts.map((t) => t.getBoundingClientRect())
      .map(({ left, right }) => ({ left, right })));
    check(ticks.length > 5 && ticks.every((box, i) => i === 0 || ticks[i - 1].right + 4 <= box.left),  // a space apart
      `the chart's numbers stay apart ${width} pixels wide`);
    await axe(page, `${width} pixels wide`);
  }
  await page.click(aria('Calibrate', 'button'));
  await axe(page, 'the Calibrate dialog');
  await page.keyboard.press('Escape');
  await page.setViewport({ width: 1280, height: 900 });
  const inputs = await handles(page, InputNames.slice(0, 3));
  await typeInto(page, inputs.WareaEditBox, '12,5');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.getElementById('ErrorDialog').open);
  await axe(page, 'the error box');
  await page.screenshot({ path: join(work, 'page-error.png') });
  await closeError(page);
  check(await page.evaluate(() => document.activeElement.id === 'WareaEditBox' &&
    document.activeElement.selectionStart === 2), 'the faulty input has the focus from the failing character');
  for (const id of ['EcoRegComboBox', 'WareaComboBox', 'AlkalinityUnitComboBox']) {  // Up and Down step through the choices
    const choices = await page.$$eval(`#${id}-choices option`, (options) => options.map((o) => o.value));
    await typeInto(page, await page.$(`#${id}`), choices[0].toLowerCase());
    const seen = [];
    for (const key of ['ArrowDown', 'ArrowDown', 'ArrowUp']) seen.push(await page.keyboard.press(key).then(() => page.$eval(`#${id}`, (e) => e.value)));
    const last = Math.min(2, choices.length - 1);
    check(same(seen, [choices[1], choices[last], choices[last - 1]]), `Up and Down in ${id}: ${seen}`);
  }
}

const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  userDataDir: join(work, 'profile'),
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--allow-file-access-from-files'],
});
await runChecks('web', browser, work, async (started) => {
  const page = await openPage(browser);
  await page.setViewport({ width: 1280, height: 900 });
  await axe(page, 'the empty form');
  const inputs = await formControls(page);
  const good = await typedLakes(page, inputs);
  console.log(`lakes checked after ${((Date.now() - started) / 1000).toFixed(1)} s`);
  await outputUnits(page, good);
  await dataFiles(page, process.cwd());
  await loadResponses(page, [join(process.cwd(), 'examples/example.tpx'), ...good.slice(0, 8)]);
  await printed(page, join(process.cwd(), 'examples/example.tpx'));
  await lakesTable(page, tableLakes);
  await monitoringSamples(page);
  await helpTopics(page);
  await looks(page, good[0]);
  await storedLake(page);
  return page;
});
