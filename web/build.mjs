// Bundles the page into one self-contained HTML file: the engine (JavaScript with the
// WebAssembly inside), the page's script bundled by esbuild and its styles, all inline, so
// that the file works from disk and asks the network for nothing.
//   node web/build.mjs ENGINE.js OUTPUT.html
import { build } from 'esbuild';
import { readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const [enginePath, outputPath] = process.argv.slice(2);
if (!enginePath || !outputPath) {
  console.error('usage: node web/build.mjs ENGINE.js OUTPUT.html');
  process.exit(2);
}
const source = join(dirname(fileURLToPath(import.meta.url)), 'src');
const MaxBytes = 2 * 1024 * 1024;

const bundle = await build({
  entryPoints: [join(source, 'app.js')],
  bundle: true,
  minify: true,
  format: 'iife',
  target: ['chrome100', 'firefox100', 'safari15'],
  write: false,
});
// The Web Workers' own code, placed after the engine's in each worker.
const worker = await build({
  entryPoints: [join(source, 'tableworker.js')],
  bundle: true,
  minify: true,
  format: 'iife',
  target: ['chrome100', 'firefox100', 'safari15'],
  write: false,
});
const styles = await build({
  entryPoints: [join(source, 'style.css')],
  bundle: true,
  minify: true,
  write: false,
});

// A script's text may not hold "</script"; in JavaScript "<\/script" means the same.
const inlineScript = (text) => text.replace(/<\/(script)/gi, '<\\/$1');
const template = readFileSync(join(source, 'index.html'), 'utf8');
// The help topics: the body of the program's help file.
const helpFile = readFileSync(join(source, '..', '..', 'ui', 'help', 'trxhelp.hlp'), 'utf8');
const helpBody = /<body>([\s\S]*)<\/body>/i.exec(helpFile)[1];
const html = template
  .replace('/*STYLES*/', () => styles.outputFiles[0].text)
  .replace('/*ENGINE*/', () => inlineScript(readFileSync(enginePath, 'utf8')))
  .replace('<!--HELP-->', () => helpBody)
  .replace('/*WORKER*/', () => inlineScript(worker.outputFiles[0].text))
  .replace('/*APP*/', () => inlineScript(bundle.outputFiles[0].text));
writeFileSync(outputPath, html);
const size = Buffer.byteLength(html);
console.log(`${outputPath}: ${size} bytes`);
if (size > MaxBytes) {
  console.error(`${outputPath} is larger than ${MaxBytes} bytes`);
  process.exit(1);
}
