// Decodes one picture off the page's thread: streams the file into a plug-in instance of the
// WebAssembly core, the way a browser fed the plug-in (write-ready, then at most that many bytes),
// and draws the instance's window onto the OffscreenCanvas after every paint message.
import createVuModule from './vuweb.mjs';

const MODE_FULL = 2;
const REASON_DONE = 0;
const REASON_NETWORK = 1;
const REASON_BREAK = 2;

let vu = null;
let viewer = -1;
let canvas = null;
let context = null;
let width = 0;
let height = 0;
let paints = 0;

function post(type, extra = {}) {
  self.postMessage({ type, paints, ...extra });
}

function draw() {
  const pixels = vu._vuWebPixels(viewer);
  if (!pixels) return;
  const rgba = new Uint8ClampedArray(vu.HEAPU8.buffer, pixels, width * height * 4);
  context.putImageData(new ImageData(new Uint8ClampedArray(rgba), width, height), 0, 0);
  paints += 1;
  post('paint', { imageWidth: vu._vuWebImageWidth(viewer), imageHeight: vu._vuWebImageHeight(viewer) });
}

// Offers one received piece to the instance. Returns false once the instance wants no more.
function feed(piece) {
  let offset = 0;
  while (offset < piece.length) {
    const ready = vu._vuWebWriteReady(viewer);
    if (ready <= 0) return false;
    const size = Math.min(ready, piece.length - offset);
    const buffer = vu._malloc(size);
    if (!buffer) return false;
    vu.HEAPU8.set(piece.subarray(offset, offset + size), buffer);
    const answer = vu._vuWebWrite(viewer, buffer, size);
    vu._free(buffer);
    if (answer < 0) return false;
    if (answer === 0) return false; // an instance that takes nothing would never finish
    offset += Math.min(answer, size);
  }
  return true;
}

async function stream(url) {
  let received = 0;
  let response;
  try {
    response = await fetch(url);
    if (!response.ok || !response.body) throw new Error(`HTTP ${response.status}`);
  } catch (error) {
    // No response, no stream: as in a browser, the instance never hears of one (and so never
    // shows the placeholder of a stream that ended early).
    post('end', { state: 'failed', received, message: String(error.message || error) });
    return;
  }
  const reader = response.body.getReader();
  try {
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      received += value.length;
      post('progress', { received });
      if (!feed(value)) {
        // The instance has all it wants (or found the file is not one it reads).
        reader.cancel().catch(() => {});
        break;
      }
    }
  } catch (error) {
    // A cut connection: the instance keeps what it drew.
    vu._vuWebEndStream(viewer, REASON_NETWORK);
    post('end', { state: 'cut', received, drawn: vu._vuWebHasPicture(viewer) === 1,
                 message: String(error.message || error) });
    return;
  }
  vu._vuWebEndStream(viewer, REASON_DONE);
  post('end', { state: 'done', received, drawn: vu._vuWebHasPicture(viewer) === 1 });
}

async function start(message) {
  ({ canvas, width, height } = message);
  context = canvas.getContext('2d');
  vu = await createVuModule({
    locateFile: (name) => new URL(name, import.meta.url).href,
    print: () => {},
    printErr: (text) => post('message', { text }),
  });
  vu.onPaint = draw;
  viewer = vu._vuWebCreate(message.mode === 'full' ? MODE_FULL : 1, width, height);
  if (viewer < 0) {
    post('end', { state: 'failed', received: 0, message: 'the viewer could not be created' });
    return;
  }
  await stream(message.url);
}

function save(message) {
  const size = viewer < 0 ? -1 : vu._vuWebSave(viewer, message.filter);
  if (size <= 0) {
    self.postMessage({ type: 'saved', id: message.id, bytes: null });
    return;
  }
  const bytes = new Uint8Array(vu.HEAPU8.buffer, vu._vuWebSavedBytes(viewer), size).slice();
  self.postMessage({ type: 'saved', id: message.id, bytes }, [bytes.buffer]);
}

function pixels(message) {
  const data = context ? context.getImageData(0, 0, width, height).data : null;
  self.postMessage({ type: 'pixels', id: message.id, data, width, height }, data ? [data.buffer] : []);
}

self.onmessage = (event) => {
  const message = event.data;
  if (message.type === 'start') {
    start(message).catch((error) => post('end', { state: 'failed', received: 0, message: String(error) }));
  } else if (message.type === 'save') {
    save(message);
  } else if (message.type === 'pixels') {
    pixels(message);
  } else if (message.type === 'stop' && viewer >= 0) {
    vu._vuWebEndStream(viewer, REASON_BREAK);
  }
};
