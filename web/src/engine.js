// The engine as the page sees it: each call hands texts or bytes to a C function of
// web/bindings.cpp and returns its answer, parsed JSON or raw bytes.

const encoder = new TextEncoder();
const decoder = new TextDecoder();

export async function loadEngine() {
  // createTrophexEngine is defined by the engine's script, inlined before this one.
  const module = await globalThis.createTrophexEngine();

  // Copies bytes into the module's memory for the length of one call.
  function withBytes(bytes, use) {
    const pointer = module._malloc(Math.max(bytes.length, 1));
    module.HEAPU8.set(bytes, pointer);
    try {
      return use(pointer, bytes.length);
    } finally {
      module._free(pointer);
    }
  }
  const answerBytes = (pointer) => module.HEAPU8.slice(pointer, pointer + module._trx_answer_length());
  const answerText = (pointer) => decoder.decode(answerBytes(pointer));
  const answerJson = (pointer) => JSON.parse(answerText(pointer));
  // An answer that starts with a status byte: 1 and bytes of results, or 0 and a reason.
  const statusAnswer = (answer) => (answer[0] === 1 ? { ok: true, results: answer.subarray(1) }
    : { ok: false, message: decoder.decode(answer.subarray(1)) });

  return {
    tables: () => answerJson(module._trx_tables()),
    setInputs(texts) {
      texts.forEach((text, index) =>
        withBytes(encoder.encode(text), (pointer, length) => module._trx_set_input(index, pointer, length)));
    },
    ecoregionDefaults: () => answerJson(module._trx_ecoregion_defaults()),
    calculate: () => answerJson(module._trx_calculate()),
    clear: () => module._trx_clear(),
    tsiRanges: (ecoregion) => withBytes(encoder.encode(ecoregion), (p, n) => answerJson(module._trx_tsi_ranges(p, n))),
    convert: (selector, unit) =>
      withBytes(encoder.encode(unit), (p, n) => answerText(module._trx_convert(selector, p, n))),
    open: (bytes) => withBytes(bytes, (p, n) => answerJson(module._trx_open(p, n))),
    save: () => answerBytes(module._trx_save()),
    response: (choice, value, bound, anchored, ...box) =>
      withBytes(encoder.encode(value), (v, vn) => withBytes(encoder.encode(bound), (b, bn) =>
        answerJson(module._trx_response(choice, v, vn, b, bn, anchored ? 1 : 0, ...box)))),
    report: (units, width, height) =>
      withBytes(encoder.encode(units.join('\n')), (p, n) => answerJson(module._trx_report(p, n, width, height))),
    responseReport: (width, height) => answerJson(module._trx_response_report(width, height)),
    tableHeadEnd: (bytes, atEnd) => withBytes(bytes, (p, n) => module._trx_table_head_end(p, n, atEnd ? 1 : 0)),
    recordsEnd: (bytes) => withBytes(bytes, (p, n) => module._trx_records_end(p, n)),
    // In a worker: the results of a part, or the reason it failed.
    assessPart(bytes, target, model) {
      return statusAnswer(withBytes(bytes, (p, n) => withBytes(encoder.encode(target), (t, tn) =>
        answerBytes(module._trx_assess_part(p, n, t, tn, model ? 1 : 0)))));
    },
    // In a worker: the lake-years of a samples table, whose bytes readSlice(capacity) gives
    // slice by slice (none at the end), and its lakes table's bytes (or null); or the reason
    // they cannot be read.
    samplesRead(readSlice, lakes) {
      module.readSamples = (pointer, capacity) => {
        try {
          const bytes = readSlice(capacity);
          module.HEAPU8.set(bytes, pointer);
          return bytes.length;
        } catch {
          return -1;
        }
      };
      try {
        return statusAnswer(withBytes(lakes || new Uint8Array(0), (l, ln) =>
          answerBytes(module._trx_samples_read(l, ln, lakes ? 1 : 0))));
      } finally {
        delete module.readSamples;
      }
    },
    // The lake-years a worker read, taken for the next table; the table of lakes they make.
    samplesTake: (lakeYears) => withBytes(lakeYears, (p, n) => answerBytes(module._trx_samples_take(p, n))),
    // The trends of the lake of a row on show, or null.
    samplesTrend: (row) => answerJson(module._trx_samples_trend(row)),
    tableTargetError: (target) => withBytes(encoder.encode(target), (p, n) => answerText(module._trx_table_target_error(p, n))),
    tableBegin: (head, target, model) => withBytes(head, (h, hn) => withBytes(encoder.encode(target), (t, tn) =>
      answerJson(module._trx_table_begin(h, hn, t, tn, model ? 1 : 0)))),
    tableTake: (results) => withBytes(results, (p, n) => module._trx_table_take(p, n)),
    tableFinish: () => answerJson(module._trx_table_finish()),
    tableDrop: () => module._trx_table_drop(),
    tableBytes: (first, count) => answerBytes(module._trx_table_bytes(first, count)),
    tableRows: (first, count) => answerJson(module._trx_table_rows(first, count)),
    tableSort: (column, descending) => answerJson(module._trx_table_sort(column, descending ? 1 : 0)),
    tableFilter: (status, ecoregion, trophicClass, goal) =>
      answerJson(module._trx_table_filter(status, ecoregion, trophicClass, goal)),
    tableLake: (row) => answerJson(module._trx_table_lake(row)),
  };
}
