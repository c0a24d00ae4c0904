// Downloads made by the page: the bytes handed to the browser under a file name.

import { element } from './dom.js';

// A text made fit to name a file: without the characters file systems refuse, at most 100
// characters, cut between characters rather than inside one; fallback when nothing is left.
export function fileNameOf(text, fallback) {
  const name = text.replace(/[\\/:*?"<>|\u0000-\u001f]+/g, ' ').trim() || fallback;
  return Array.from(name).slice(0, 100).join('');
}

export function downloadBlob(blob, name) {
  const link = element('a', { href: URL.createObjectURL(blob), download: name });
  document.body.append(link);
  link.click();
  link.remove();
  // The browser has taken the bytes well before; the address is freed later.
  setTimeout(() => URL.revokeObjectURL(link.href), 60_000);
}
