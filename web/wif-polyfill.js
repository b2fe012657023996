// Upgrades WIF pictures written as ordinary images to <wif-image>: an <img> whose source ends in
// .wif or .vuw, and a <picture> with a <source> of the WIF type. Images added later are upgraded
// as they arrive.
import { WIF_MIME_TYPE } from './wif-image.js';

const WIF_NAME = /\.(wif|vuw)([?#]|$)/i;

function wifSource(img) {
  const picture = img.parentElement && img.parentElement.localName === 'picture' ? img.parentElement : null;
  if (picture) {
    for (const source of picture.querySelectorAll(':scope > source')) {
      if ((source.getAttribute('type') ?? '').trim().toLowerCase() === WIF_MIME_TYPE.toLowerCase()) {
        const first = (source.getAttribute('srcset') ?? '').trim().split(/\s+/)[0];
        if (first) return { url: first, replace: picture };
      }
    }
  }
  const src = img.getAttribute('src');
  if (src && WIF_NAME.test(src)) return { url: src, replace: picture ?? img };
  return null;
}

function upgrade(img) {
  if (img.dataset.wifUpgraded) return;
  const found = wifSource(img);
  if (!found) return;
  img.dataset.wifUpgraded = '1';
  const element = document.createElement('wif-image');
  for (const name of ['width', 'height', 'alt', 'id', 'class', 'style', 'title']) {
    if (img.hasAttribute(name)) element.setAttribute(name, img.getAttribute(name));
  }
  element.setAttribute('src', found.url);
  found.replace.replaceWith(element);
}

function scan(root) {
  if (root.localName === 'img') upgrade(root);
  else if (root.querySelectorAll) root.querySelectorAll('img').forEach(upgrade);
}

export function upgradeAll(root = document) {
  scan(root);
}

const observer = new MutationObserver((records) => {
  for (const record of records) {
    if (record.type === 'attributes') {
      const target = record.target;
      scan(target.localName === 'source' && target.parentElement ? target.parentElement : target);
    }
    for (const node of record.addedNodes) if (node.nodeType === Node.ELEMENT_NODE) scan(node);
  }
});

function begin() {
  scan(document);
  observer.observe(document.documentElement, { childList: true, subtree: true, attributes: true, attributeFilter: ['src', 'srcset', 'type'] });
}

if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', begin, { once: true });
else begin();
