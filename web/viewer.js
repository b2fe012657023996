// The full-page viewer: viewer.html?src=URL shows one picture in a window the size of the page.
// A right click opens the viewer's own menu, which saves the file as it came (WIF) or the
// picture (BMP).
import './wif-image.js';

const stage = document.getElementById('stage');
const menu = document.getElementById('menu');
const status = document.getElementById('status');
const source = new URLSearchParams(location.search).get('src');

const image = document.createElement('wif-image');
image.setAttribute('mode', 'full');
image.setAttribute('width', String(Math.max(1, window.innerWidth)));
image.setAttribute('height', String(Math.max(1, window.innerHeight)));

if (!source) {
  status.textContent = 'No picture: open viewer.html?src=URL';
} else {
  document.title = `${decodeURIComponent(source.split(/[?#]/)[0].split('/').pop())} - VU Wavelet Image`;
  image.setAttribute('src', source);
  image.addEventListener('wifend', (event) => {
    const { state, drawn } = event.detail;
    if (!drawn) status.textContent = 'The file holds no picture that can be shown.';
    else if (state !== 'done') status.textContent = 'The download was cut: the picture shows what arrived.';
  });
  stage.append(image);
}

function closeMenu() {
  menu.hidden = true;
}

document.addEventListener('contextmenu', (event) => {
  if (!source) return;
  event.preventDefault();
  menu.hidden = false;
  const x = Math.min(event.clientX, window.innerWidth - menu.offsetWidth - 2);
  const y = Math.min(event.clientY, window.innerHeight - menu.offsetHeight - 2);
  menu.style.left = `${Math.max(0, x)}px`;
  menu.style.top = `${Math.max(0, y)}px`;
  menu.querySelector('li').focus();
});

menu.addEventListener('click', async (event) => {
  const item = event.target.closest('li[data-format]');
  if (!item) return;
  closeMenu();
  const format = item.dataset.format;
  if (!(await image.save(format)))
    status.textContent = format === 'bmp' ? 'There is no picture to save yet.' : 'Nothing has arrived to save yet.';
});

document.addEventListener('click', (event) => {
  if (!menu.contains(event.target)) closeMenu();
});
document.addEventListener('keydown', (event) => {
  if (event.key === 'Escape') closeMenu();
});
