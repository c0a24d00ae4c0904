// A Web Worker of the table of lakes: the engine's batch, on this worker's thread, assesses
// each part of a table that the page hands over and hands the results back; or the engine
// reads a table of monitoring samples into lake-years. The engine's script is placed before
// this one in the worker's code.
import { loadEngine } from './engine.js';

const engine = loadEngine();

// The samples' bytes read are reported at most every ReportStep of the table.
const ReportStep = 1 / 200;

function readSamples({ samples, lakes }, engine) {
  let reported = 0;
  const progress = (bytes) => {
    if (bytes - reported < ReportStep * samples.byteLength) return;
    reported = bytes;
    self.postMessage({ samplesRead: bytes });
  };
  const answer = engine.samplesRead(new Uint8Array(samples), lakes && new Uint8Array(lakes), progress);
  if (!answer.ok) {
    self.postMessage(answer);
    return;
  }
  const results = answer.results.slice().buffer;
  self.postMessage({ ok: true, results }, [results]);
}

self.onmessage = async ({ data }) => {
  if (data.samples) {
    readSamples(data, await engine);
    return;
  }
  const { index, bytes, target, model } = data;
  const answer = (await engine).assessPart(new Uint8Array(bytes), target, model);
  if (!answer.ok) {
    self.postMessage({ index, ok: false, message: answer.message });
    return;
  }
  const results = answer.results.slice().buffer;
  self.postMessage({ index, ok: true, results }, [results]);
};
