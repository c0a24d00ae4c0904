// A table of lakes assessed in parts by Web Workers. The file is read slice by slice and cut
// at whole records (the engine says where they end); each part, with the table's head before
// it, goes to the next free worker, whose engine assesses it on the worker's thread; the
// parts' results go into the engine's new table in the order of the file. The workers are
// made from the page's own code through a Blob URL, so that this works from file:// and
// needs no shared memory. Cancel stops the workers at once and keeps nothing.

// A worker's engine holds a part and its results (some five times the part's bytes with a
// target) at once, and its memory never shrinks: parts of a megabyte keep each worker's
// memory under 60 MB, where parts of 2.5 MB already took it to 100 MB.
const MinPartBytes = 256 << 10;
const MaxPartBytes = 1 << 20;
const HeadSliceBytes = 1 << 20;

let workerUrl = null;

// The workers' code: the engine's script, then the worker's own.
export function workerSource() {
  if (!workerUrl) {
    const code = [document.getElementById('engine-script').textContent,
      document.getElementById('worker-script').textContent];
    workerUrl = URL.createObjectURL(new Blob(code, { type: 'text/javascript' }));
  }
  return workerUrl;
}

const readSlice = async (file, start, end) => new Uint8Array(await file.slice(start, end).arrayBuffer());

function joined(head, records) {
  const part = new Uint8Array(head.length + records.length);
  part.set(head);
  part.set(records, head.length);
  return part;
}

// The bytes of the table's head (byte order mark, blank lines, header row).
async function readHead(engine, file) {
  for (let size = HeadSliceBytes; ; size *= 4) {
    const start = await readSlice(file, 0, size);
    const atEnd = size >= file.size;
    const end = engine.tableHeadEnd(start, atEnd);
    if (end > 0 || atEnd) return start.slice(0, end);
  }
}

// The parts of the file after the head, each ending at a whole record, one at a time.
async function* parts(engine, file, offset, partBytes) {
  while (offset < file.size) {
    let records = null;
    for (let size = partBytes; !records; size *= 2) {
      const slice = await readSlice(file, offset, offset + size);
      if (offset + slice.length >= file.size) records = slice;
      else {
        const end = engine.recordsEnd(slice);
        if (end > 0) records = slice.subarray(0, end);
      }
    }
    offset += records.length;
    yield records;
  }
}

// target: { text, model }; progress(fraction) as parts are taken.
export function assessParts(engine, file, target, { progress, workers = navigator.hardwareConcurrency || 2 }) {
  const pool = [];
  let cancel;
  const cancelled = new Promise((resolve) => { cancel = resolve; });
  let stopped = false;

  async function run() {
    const head = await readHead(engine, file);
    if (stopped) return { cancelled: true };
    const begun = engine.tableBegin(head, target.text, target.model);
    if (!begun.ok) return { ok: false, message: begun.message };
    const count = Math.max(1, Math.min(workers, 8));
    const body = file.size - head.length;
    const partBytes = Math.min(MaxPartBytes, Math.max(MinPartBytes, Math.ceil(body / (count * 4))));
    const finished = new Map();  // results of parts done before their turn, by index
    let nextToTake = 0;
    let taken = 0;
    let failure = null;
    let wake = () => {};
    const source = parts(engine, file, head.length, partBytes);
    let index = 0;

    async function feed(worker) {
      if (stopped || failure) return false;
      const { value: records, done } = await source.next();
      if (done || stopped) return false;
      const part = joined(head, records);
      worker.postMessage({ index: index++, bytes: part.buffer, target: target.text, model: target.model }, [part.buffer]);
      worker.partBytes = records.length;
      return true;
    }

    const busy = new Set();
    for (let i = 0; i < count; i += 1) {
      const worker = new Worker(workerSource());
      pool.push(worker);
      worker.onmessage = ({ data }) => {
        finished.set(data.index, { ...data, bytes: worker.partBytes });
        busy.delete(worker);
        wake();
      };
      worker.onerror = (event) => {
        failure = failure || String(event.message || 'A worker of the table stopped.');
        wake();
      };
    }
    for (;;) {
      for (const worker of pool) {
        if (!busy.has(worker) && finished.size < count * 2 && await feed(worker)) busy.add(worker);
      }
      // A run that was cancelled while it read leaves the engine's table alone: another may be under way.
      if (stopped) return { cancelled: true };
      while (finished.has(nextToTake)) {
        const part = finished.get(nextToTake);
        finished.delete(nextToTake);
        nextToTake += 1;
        if (!part.ok) failure = failure || part.message;
        else {
          engine.tableTake(new Uint8Array(part.results));
          taken += part.bytes;
          progress(body > 0 ? taken / body : 1);
        }
      }
      if (failure) return { ok: false, message: failure };
      if (busy.size === 0 && nextToTake === index) break;
      await new Promise((resolve) => { wake = resolve; });
    }
    return { ok: true, table: engine.tableFinish() };
  }

  const done = Promise.race([run(), cancelled.then(() => ({ cancelled: true }))])
    .catch((error) => ({ ok: false, message: String(error.message || error) }))
    .then((outcome) => {
      stopped = true;
      for (const worker of pool) worker.terminate();
      if (!outcome.ok) engine.tableDrop();
      return outcome;
    });
  return { done, cancel: () => cancel() };
}
