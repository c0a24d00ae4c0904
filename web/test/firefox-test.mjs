// Drives the page in headless Firefox (Debian's firefox-esr, through WebDriver BiDi) from
// file:// and compares what it shows and downloads with the native trophex-cli: a few
// generated lakes typed in through the accessible names, a load response, a data file opened
// and saved, a table of lakes assessed in the Web Workers and downloaded with and without a
// target, a run cancelled, the lake kept across a reload, the report printed to PDF; a
// screenshot. The last line: "firefox: N passed, M failed".
//   node web/test/firefox-test.mjs PAGE.html TROPHEX-CLI LAKES.csv WORKDIR [TABLE-LAKES]
import puppeteer from 'puppeteer-core';
import { readFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import {
  InputNames, aria, check, dataFile, downloadOf, formControls, handles, nativeResponse, openPage,
  openThroughInput, printed, runCli, runChecks, same, shown, shownResponse, storedLake, typedLakes, typeInto, useFiles,
} from './pagecheck.mjs';

const [pagePath, cli, lakesPath, work] = process.argv.slice(2, 6).map((p) => resolve(p));
const tableLakes = Number(process.argv[6] || 3000);
useFiles({ pagePath, cli, lakesPath, work });
const downloads = join(work, 'downloads');
const example = join(process.cwd(), 'examples/example.tpx');

// The example lake's load response for a tp target, anchored, as the native runner gives it.
async function loadResponse(page) {
  await openThroughInput(page, example);
  await page.click(`#lake-view ${aria('Load Response', 'tab')}`);
  if (!(await page.$eval('#AnchorCheckBox', (e) => e.checked))) await page.click('#AnchorCheckBox');
  await page.select('#TargetComboBox', '1');
  await typeInto(page, await page.$(`#page-response ${aria('Target value')}`), '20');
  const [seen, want] = [await shownResponse(page), nativeResponse(example, 'tp=20', false)];
  check(same(seen.answer, want.answer) && same(seen.rows, want.rows),
    `the load response for tp=20: ${JSON.stringify(seen.answer)} against ${JSON.stringify(want.answer)}`);
  await page.click(`#lake-view ${aria('Output', 'tab')}`);
}

// A data file opened through the file input and saved: the download holds what the desktop
// program saves for the texts opened.
async function openAndSave(page, views) {
  await openThroughInput(page, example);
  const seen = await shown(page);
  const saved = await downloadOf(page, views.SaveBtn, downloads, '.tpx');
  const want = dataFile(InputNames.map(([control]) => seen.controls[control]));
  check(saved && Buffer.compare(saved, want) === 0 && Buffer.compare(saved, readFileSync(example)) === 0,
    'Save downloads the bytes of the data file opened');
}

// A table of lakes assessed in the workers, downloaded without and with a target against the
// native batch; a larger one cancelled once under way keeps the table on show. Firefox finds
// a name by walking the part of the page searched, slowly: each button is looked up once,
// within the part that holds it.
async function lakesTable(page, views) {
  const table = join(work, 'table.csv');
  runCli(['batch', '--generate', String(tableLakes), '--seed', '7', '-o', table]);
  const summary = () => page.$eval('#LakesSummary', (e) => e.textContent);
  const assessed = (before) => page.waitForFunction((text) => document.getElementById('AssessRow').hidden &&
    document.getElementById('LakesSummary').textContent !== text, { timeout: 60000 }, before);
  const nativeBatch = (extra) => Buffer.from(runCli(['batch', table, ...extra]), 'utf8');

  await views.TableView.click();
  const { DownloadResultsBtn, TableTarget } = await handles(page,
    [['DownloadResultsBtn', 'Download Results'], ['TableTarget', 'Target']], '#table-view');
  const results = () => downloadOf(page, DownloadResultsBtn, downloads, '.csv');
  const started = Date.now();
  await (await page.$('#OpenTableFile')).uploadFile(table);
  await assessed(await summary());
  console.log(`${tableLakes} lakes assessed in the page in ${Date.now() - started} ms`);
  check(same(await results(), nativeBatch([])), 'the table downloaded equals the native batch');
  const before = await summary();
  await typeInto(page, TableTarget, 'tp=20');
  await page.keyboard.press('Enter');
  await assessed(before);
  check(same(await results(), nativeBatch(['--target', 'tp=20'])), 'the table with --target tp=20 equals the native batch');

  const withTarget = await summary();
  const large = join(work, 'large.csv');
  runCli(['batch', '--generate', String(Math.max(20 * tableLakes, 100000)), '-o', large]);
  await (await page.$('#OpenTableFile')).uploadFile(large);
  await page.waitForFunction(() => document.getElementById('AssessProgress').value > 0, { timeout: 60000 });
  await (await handles(page, [['CancelAssessBtn', 'Cancel']], '#AssessRow')).CancelAssessBtn.click();
  await page.waitForFunction(() => document.getElementById('AssessRow').hidden);
  check(await summary() === withTarget, 'a cancelled run keeps the table on show');
  check(same(await results(), nativeBatch(['--target', 'tp=20'])), 'a cancelled run keeps nothing of its own');
  await views.LakeView.click();
}

const browser = await puppeteer.launch({
  browser: 'firefox',
  executablePath: '/usr/bin/firefox-esr',
  headless: true,
  protocolTimeout: 120000,
});
await runChecks('firefox', browser, work, async (started) => {
  const context = await browser.createBrowserContext({ downloadBehavior: { policy: 'allow', downloadPath: downloads } });
  const page = await openPage(context);
  await page.setViewport({ width: 1280, height: 900 });
  const good = await typedLakes(page, await formControls(page));
  console.log(`lakes typed in after ${((Date.now() - started) / 1000).toFixed(1)} s`);
  await loadResponse(page);
  const views = await handles(page, [['LakeView', 'Lake'], ['TableView', 'Lakes Table'], ['SaveBtn', 'Save']], 'header');
  await openAndSave(page, views);
  await lakesTable(page, views);
  console.log(`table checked after ${((Date.now() - started) / 1000).toFixed(1)} s`);
  await openThroughInput(page, good[0] || example);
  await page.screenshot({ path: join(work, 'firefox-page.png'), fullPage: true });
  await printed(page, example);
  await storedLake(page);
  return page;
});
