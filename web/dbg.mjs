import puppeteer from 'puppeteer-core';
import { pathToFileURL } from 'node:url';
const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true, args: ['--no-sandbox','--allow-file-access-from-files'] });
const page = await browser.newPage();
page.on('console', (m) => console.log('console', m.text()));
await page.goto(pathToFileURL('/work/wt/web/build-web/trophex.html').href);
await page.waitForSelector('body[data-ready=true]');
await page.evaluate(() => { const i = document.createElement('input'); i.type='file'; i.id='f'; document.body.append(i); });
await (await page.$('#f')).uploadFile('/work/wt/web/build-web/bench-100000.csv');
const r = await page.evaluate(async () => {
  const bytes = new Uint8Array(await document.getElementById('f').files[0].arrayBuffer());
  const m = await globalThis.createTrophexEngine();
  const out = {};
  for (const n of [1 << 20, 4 << 20]) {
    let end = bytes.indexOf(10, n) + 1;
    const part = bytes.subarray(0, end);
    const p = m._malloc(part.length); m.HEAPU8.set(part, p);
    const t = performance.now();
    m._trx_assess_part(p, part.length, 0, 0, 0);
    out[n] = [performance.now() - t, m._trx_answer_length(), part.length];
    m._free(p);
  }
  return out;
});
console.log(r);
await browser.close();
