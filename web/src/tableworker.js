// A Web Worker of the table of lakes: the engine's batch, on this worker's thread, assesses
// each part of a table that the page hands over and hands the results back. The engine's
// script is placed before this one in the worker's code.
import { loadEngine } from './engine.js';

const engine = loadEngine();

self.onmessage = async ({ data: { index, bytes, target, model } }) => {
  const answer = (await engine).assessPart(new Uint8Array(bytes), target, model);
  if (!answer.ok) {
    self.postMessage({ index, ok: false, message: answer.message });
    return;
  }
  const results = answer.results.slice().buffer;
  self.postMessage({ index, ok: true, results }, [results]);
};
