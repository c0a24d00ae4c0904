// Help: the program's help topics as pages of this file. The help file's body is inlined
// in a template; each named anchor in it starts a topic, shown one at a time, with the
// topics listed beside it and links between them followed inside the page.

import { $, element } from './dom.js';

// Topics by name, in the file's order: { name, title, nodes }.
function readTopics(source) {
  const topics = [];
  for (const node of [...source.content.childNodes]) {
    if (node.nodeName === 'A' && node.getAttribute('name')) {
      topics.push({ name: node.getAttribute('name'), title: '', nodes: [] });
      continue;
    }
    const topic = topics[topics.length - 1];
    if (!topic) continue;
    if (!topic.title && /^H[1-3]$/.test(node.nodeName)) topic.title = node.textContent;
    topic.nodes.push(node);
  }
  return topics;
}

export function createHelp({ show }) {
  const topics = readTopics($('help-source'));
  const article = $('HelpTopic');
  const list = $('HelpTopics');

  function showTopic(name) {
    const topic = topics.find((t) => t.name === name) || topics[0];
    article.replaceChildren(...topic.nodes.map((node) => node.cloneNode(true)));
    for (const link of list.querySelectorAll('a'))
      link.toggleAttribute('aria-current', link.dataset.topic === topic.name);
    show();
    window.scrollTo(0, 0);
    article.focus({ preventScroll: true });
  }

  list.replaceChildren(...topics.map((topic) => {
    const link = element('a', { href: `#${topic.name}`, textContent: topic.title });
    link.dataset.topic = topic.name;
    return element('li', {}, [link]);
  }));
  // Links between topics show the topic here rather than move the page.
  for (const container of [list, article]) {
    container.addEventListener('click', (event) => {
      const link = event.target.closest('a[href^="#"]');
      if (!link) return;
      event.preventDefault();
      showTopic(link.getAttribute('href').slice(1));
    });
  }
  return { showTopic };
}
