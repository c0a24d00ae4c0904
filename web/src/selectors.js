// Editable selectors, as the window's: a text box with a list of choices (its datalist). Up
// and Down step through the choices as in the window, since the browser's list offers only
// the choices that hold the text typed; the text chosen counts as typed (kept, and told
// apart from the last calculation).
export function stepThroughChoices(box) {
  box.addEventListener('keydown', (event) => {
    const step = { ArrowDown: 1, ArrowUp: -1 }[event.key];
    const choices = [...(box.list?.options ?? [])].map((option) => option.value);
    if (!step || event.altKey || box.readOnly || !choices.length) return;
    event.preventDefault();
    const at = choices.findIndex((choice) => choice.toLowerCase() === box.value.trim().toLowerCase());
    box.value = choices[at < 0 ? 0 : Math.min(choices.length - 1, Math.max(0, at + step))];
    box.dispatchEvent(new Event('input', { bubbles: true }));
  });
}
