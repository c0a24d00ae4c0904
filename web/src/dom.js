// The page's elements: found by id, and made with their properties and children.

export const $ = (id) => document.getElementById(id);

export function element(tag, properties = {}, children = []) {
  const made = Object.assign(document.createElement(tag), properties);
  made.append(...children);
  return made;
}
