// <wif-image src="..." width="..." height="..." mode="embed|full">: a WIF picture that appears
// while it downloads. The decoding runs in a worker that owns the canvas, so a large picture never
// blocks the page. Events: "wifpaint" after every painted step, "wifend" when the stream is over
// (detail.state "done", "cut" or "failed"; detail.drawn false when no picture came of it: the
// window then shows the light grey placeholder, or nothing when the file could not be fetched).
const WORKER_URL = new URL('./vu-worker.js', import.meta.url);
export const WIF_MIME_TYPE = 'image/RAZizazed';

const STYLE = `
:host { display: inline-block; position: relative; line-height: 0; }
canvas { width: 100%; height: 100%; }
@media print {
  :host(:not([mode="full"])) canvas { width: calc(var(--vu-window-width) * 0.25px); height: calc(var(--vu-window-height) * 0.25px); }
  :host([mode="full"]) canvas { width: calc(var(--vu-picture-width) * 3px); height: calc(var(--vu-picture-height) * 3px); }
  :host { width: auto !important; height: auto !important; }
}`;

function sideOf(text, fallback) {
  const value = Number.parseInt(text ?? '', 10);
  return Number.isFinite(value) && value >= 1 && value <= 16384 ? value : fallback;
}

export class WifImage extends HTMLElement {
  static get observedAttributes() {
    return ['src'];
  }

  constructor() {
    super();
    this.attachShadow({ mode: 'open' });
    this.worker = null;
    this.requests = new Map();
    this.nextRequest = 1;
    this.paints = 0;
    this.state = 'idle';
    this.received = 0;
    this.pictureWidth = 0;
    this.pictureHeight = 0;
    this.finished = null;
  }

  connectedCallback() {
    if (!this.worker && this.getAttribute('src')) this.load();
  }

  disconnectedCallback() {
    this.stop();
  }

  attributeChangedCallback(name, before, after) {
    if (name === 'src' && before !== after && this.isConnected) this.load();
  }

  get src() {
    return this.getAttribute('src') ?? '';
  }
  set src(value) {
    this.setAttribute('src', value);
  }

  // The window: the element's width and height attributes (300 x 150 when absent, as an image).
  get windowWidth() {
    return sideOf(this.getAttribute('width'), 300);
  }
  get windowHeight() {
    return sideOf(this.getAttribute('height'), 150);
  }

  stop() {
    if (this.worker) this.worker.terminate();
    this.worker = null;
    for (const resolve of this.requests.values()) resolve(null);
    this.requests.clear();
  }

  load() {
    this.stop();
    const width = this.windowWidth;
    const height = this.windowHeight;
    const canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = height;
    canvas.setAttribute('part', 'canvas');
    canvas.setAttribute('role', 'img');
    canvas.setAttribute('aria-label', this.getAttribute('alt') ?? '');
    const style = document.createElement('style');
    style.textContent = STYLE;
    this.shadowRoot.replaceChildren(style, canvas);
    if (!this.style.width) this.style.width = `${width}px`;
    if (!this.style.height) this.style.height = `${height}px`;
    this.style.setProperty('--vu-window-width', width);
    this.style.setProperty('--vu-window-height', height);
    this.paints = 0;
    this.received = 0;
    this.state = 'loading';
    let finish;
    this.finished = new Promise((resolve) => (finish = resolve));

    const offscreen = canvas.transferControlToOffscreen();
    const worker = new Worker(WORKER_URL, { type: 'module' });
    this.worker = worker;
    worker.onmessage = (event) => this.onWorkerMessage(event.data, finish);
    worker.onerror = (event) => {
      event.preventDefault();
      this.state = 'failed';
      const detail = { state: 'failed', drawn: false, received: this.received, message: event.message };
      finish(detail);
      this.dispatchEvent(new CustomEvent('wifend', { detail }));
    };
    const url = new URL(this.src, document.baseURI).href;
    const mode = this.getAttribute('mode') === 'full' ? 'full' : 'embed';
    worker.postMessage({ type: 'start', url, mode, width, height, canvas: offscreen }, [offscreen]);
  }

  onWorkerMessage(message, finish) {
    if (message.type === 'paint') {
      this.paints = message.paints;
      this.pictureWidth = message.imageWidth;
      this.pictureHeight = message.imageHeight;
      this.style.setProperty('--vu-picture-width', message.imageWidth);
      this.style.setProperty('--vu-picture-height', message.imageHeight);
      this.dispatchEvent(new CustomEvent('wifpaint', { detail: { paints: message.paints } }));
    } else if (message.type === 'progress') {
      this.received = message.received;
    } else if (message.type === 'end') {
      this.state = message.state;
      this.received = message.received;
      const detail = { state: message.state, drawn: message.drawn === true, received: message.received,
                       paints: message.paints, message: message.message };
      finish(detail);
      this.dispatchEvent(new CustomEvent('wifend', { detail }));
    } else if (message.type === 'message') {
      this.dispatchEvent(new CustomEvent('wifmessage', { detail: { text: message.text } }));
    } else if (message.type === 'saved' || message.type === 'pixels') {
      const resolve = this.requests.get(message.id);
      this.requests.delete(message.id);
      if (resolve) resolve(message);
    }
  }

  request(message) {
    if (!this.worker) return Promise.resolve(null);
    const id = this.nextRequest++;
    return new Promise((resolve) => {
      this.requests.set(id, resolve);
      this.worker.postMessage({ ...message, id });
    });
  }

  // The window as drawn so far: { data (RGBA), width, height }.
  async readPixels() {
    const answer = await this.request({ type: 'pixels' });
    return answer && answer.data ? { data: answer.data, width: answer.width, height: answer.height } : null;
  }

  // The file the plug-in saves: "wif" (the bytes it has consumed) or "bmp" (the picture).
  // Resolves to a Uint8Array, or null when there is nothing to save.
  async saveBytes(format) {
    const answer = await this.request({ type: 'save', filter: format === 'bmp' ? 2 : 1 });
    return answer ? answer.bytes : null;
  }

  // The save as a download named after the source.
  async save(format) {
    const bytes = await this.saveBytes(format);
    if (!bytes) return false;
    const type = format === 'bmp' ? 'image/bmp' : WIF_MIME_TYPE;
    const base = (this.src.split(/[?#]/)[0].split('/').pop() || 'picture').replace(/\.[^.]*$/, '') || 'picture';
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type }));
    link.download = `${base}.${format === 'bmp' ? 'bmp' : 'wif'}`;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    return true;
  }
}

if (!customElements.get('wif-image')) customElements.define('wif-image', WifImage);
