// A Web Worker of the table of lakes: the engine's batch, on this worker's thread, assesses
// each part of a table that the page hands over and hands the results back; or the engine
// reads a table of monitoring samples into lake-years. The engine's script is placed before
// this one in the worker's code.
import { loadEngine } from './engine.js';

const engine = loadEngine();

// The samples' bytes read are reported at most every ReportStep of the table.
const ReportStep = 1 / 200;

// Reads the samples table (a File) slice by slice as the engine asks for them, and the lakes
// table (a File, or null) whole.
function readSamples({ samples, lakes }, engine) {
  const reader = new FileReaderSync();
  let offset = 0;
  let reported = 0;
  const readSlice = (capacity) => {
    const bytes = new Uint8Array(reader.readAsArrayBuffer(samples.slice(offset, offset + capacity)));
    offset += bytes.length;
    if (offset - reported >= ReportStep * samples.size) {
      reported = offset;
      self.postMessage({ samplesRead: offset });
    }
    return bytes;
  };
  const answer = engine.samplesRead(readSlice, lakes && new Uint8Array(reader.readAsArrayBuffer(lakes)));
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
