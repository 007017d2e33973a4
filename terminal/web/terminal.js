// The live terminal page: an xterm.js terminal driven by the desktop application's bridge
// over Qt WebChannel.
//
// The bridge calls the window.__* functions below (every call carries the attach generation
// it belongs to where it matters) and receives the page's messages through the channel
// object "terminalBridge": terminalBridge.postMessage(name, payload), payload a JSON object.
//
// Output is fed to xterm.js under flow control: bytes handed to term.write() but not yet
// acknowledged by its write callback stay below a high-water mark; the rest waits in a
// bounded queue, so a flood of output never blocks the page. The queue and the counters are
// readable through window.__termFlowState().
(function () {
  'use strict';

  const limits = {
    highWaterBytes: 256 * 1024,         // written but not yet acknowledged
    maxQueuedBytes: 16 * 1024 * 1024,   // waiting to be written
  };
  const MAX_TRANSCRIPT_BYTES = 8 * 1024 * 1024;  // kept to replay under older history
  const MAX_PENDING_MESSAGES = 1000;

  // ---- channel -------------------------------------------------------------------------

  let bridge = null;
  const pendingMessages = [];  // posted before the channel was up (or without a channel)

  function post(name, payload) {
    const message = payload || {};
    if (bridge) {
      bridge.postMessage(name, message);
      return;
    }
    pendingMessages.push({ name: name, payload: message });
    if (pendingMessages.length > MAX_PENDING_MESSAGES) pendingMessages.shift();
  }

  function connectChannel(onConnected) {
    if (typeof QWebChannel === 'undefined' || typeof qt === 'undefined' || !qt.webChannelTransport) {
      onConnected();
      return;
    }
    new QWebChannel(qt.webChannelTransport, function (channel) {
      bridge = channel.objects.terminalBridge || null;
      if (bridge) {
        for (const message of pendingMessages.splice(0)) bridge.postMessage(message.name, message.payload);
      }
      onConnected();
    });
  }

  // ---- bytes ---------------------------------------------------------------------------

  function decodeBase64(text) {
    const binary = atob(text || '');
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }

  function encodeBase64Binary(binaryString) {
    return btoa(binaryString);
  }

  function concatBytes(chunks) {
    let total = 0;
    for (const chunk of chunks) total += chunk.length;
    const out = new Uint8Array(total);
    let offset = 0;
    for (const chunk of chunks) {
      out.set(chunk, offset);
      offset += chunk.length;
    }
    return out;
  }

  const CRLF = new Uint8Array([13, 10]);

  // ---- terminal ------------------------------------------------------------------------

  const container = document.getElementById('terminal');
  const term = new Terminal({
    allowProposedApi: true,
    cursorBlink: true,
    fontFamily: '"DejaVu Sans Mono", "Liberation Mono", monospace',
    fontSize: 13,
    scrollback: 10000,
    convertEol: false,
    macOptionIsMeta: true,
    theme: { background: '#1e1f22', foreground: '#d4d4d4' },
  });
  const fit = new FitAddon.FitAddon();
  term.loadAddon(fit);

  function isWebLink(url) {
    return /^https?:\/\/[^\s\/]/i.test(url || '');
  }
  function openLink(url) {
    if (isWebLink(url)) post('openUrl', { url: url });
  }
  term.loadAddon(new WebLinksAddon.WebLinksAddon(function (event, uri) { openLink(uri); }));
  // Hyperlinks written by programs (OSC 8).
  term.options.linkHandler = { activate: function (event, text) { openLink(text); }, allowNonHttpProtocols: false };

  term.open(container);

  const state = {
    generation: 0,
    mode: 'takeover',
    imeArmed: false,
    copyOnSelect: true,
    wheelMode: 'scrollback',
    applicationCursor: term.modes.applicationCursorKeysMode,
    bracketedPaste: term.modes.bracketedPasteMode,
    copyMode: false,
    firstReadableArmed: false,
    olderPending: false,
    olderAtTop: false,
    olderChunks: [],
    lastProposedCols: 0,
    readyPosted: false,
  };

  // ---- output queue and flow control ---------------------------------------------------

  // Items: {bytes, record, trace, superseded} for output; {reset: true}; {call: fn}.
  // Resets and calls wait until everything before them has been acknowledged.
  const queue = [];
  const flow = { queuedBytes: 0, writtenBytes: 0, acknowledgedBytes: 0, droppedBytes: 0 };
  let transcript = [];
  let transcriptBytes = 0;
  let transcriptTrimmed = false;
  let overflowReported = false;
  const traceLog = [];

  function inFlight() {
    return flow.writtenBytes - flow.acknowledgedBytes;
  }

  function enqueue(item) {
    queue.push(item);
    if (item.bytes) {
      flow.queuedBytes += item.bytes.length;
      shedOverflow();
    }
    pump();
  }

  // Drops the oldest waiting output (never resets or calls) beyond the queue's bound.
  function shedOverflow() {
    if (flow.queuedBytes <= limits.maxQueuedBytes) return;
    let dropped = 0;
    for (let i = 0; i < queue.length && flow.queuedBytes > limits.maxQueuedBytes; ) {
      const item = queue[i];
      if (item.bytes) {
        queue.splice(i, 1);
        flow.queuedBytes -= item.bytes.length;
        dropped += item.bytes.length;
      } else {
        i++;
      }
    }
    flow.droppedBytes += dropped;
    if (!overflowReported) {
      overflowReported = true;
      post('renderAnomaly', { text: 'output backlog over ' + limits.maxQueuedBytes + ' bytes: dropped ' + dropped + ' bytes' });
    }
  }

  function record(bytes) {
    transcript.push(bytes);
    transcriptBytes += bytes.length;
    while (transcriptBytes > MAX_TRANSCRIPT_BYTES && transcript.length > 1) {
      transcriptBytes -= transcript.shift().length;
      transcriptTrimmed = true;
    }
  }

  function clearTerminal() {
    term.reset();
    term.clear();
    transcript = [];
    transcriptBytes = 0;
    transcriptTrimmed = false;
  }

  function pump() {
    while (queue.length > 0) {
      const item = queue[0];
      if (!item.bytes) {
        if (inFlight() > 0) return;  // resumed by the last acknowledgement
        queue.shift();
        if (item.reset) clearTerminal();
        else item.call();
        continue;
      }
      if (inFlight() >= limits.highWaterBytes) return;
      queue.shift();
      flow.queuedBytes -= item.bytes.length;
      flow.writtenBytes += item.bytes.length;
      if (item.record) record(item.bytes);
      term.write(item.bytes, function () {
        flow.acknowledgedBytes += item.bytes.length;
        afterWrite(item);
        pump();
      });
    }
  }

  function afterWrite(item) {
    reportModes();
    if (item.trace !== null && item.trace !== undefined && !item.superseded) {
      const entry = { seq: item.trace, enqueuedAt: item.enqueuedAt, writtenAt: performance.now(), paintedAt: null };
      traceLog.push(entry);
      if (traceLog.length > 200) traceLog.shift();
      afterPaint(function () { entry.paintedAt = performance.now(); });
    }
    if (state.firstReadableArmed && item.output && hasPrintable(item.bytes)) {
      state.firstReadableArmed = false;
      const generation = state.generation;
      afterPaint(function () {
        post('contentParity', { text: JSON.stringify({ kind: 'firstReadableFrame', generation: generation,
          cols: term.cols, rows: term.rows, screen: screenText() }) });
      });
    }
  }

  // Whether output holds readable text besides escape sequences and control characters.
  function hasPrintable(bytes) {
    const text = new TextDecoder().decode(bytes)
      .replace(/\x1b\[[0-?]*[ -\/]*[@-~]/g, '')
      .replace(/\x1b\][^\x07\x1b]*(\x07|\x1b\\)/g, '')
      .replace(/\x1b[()].?/g, '')
      .replace(/\x1b./g, '');
    return /[^\s\x00-\x1f\x7f]/.test(text);
  }

  // Runs `fn` once the next frame is painted; a hidden page paints no frames, so a timer
  // stands in after 100 ms.
  function afterPaint(fn) {
    let done = false;
    const once = function () { if (!done) { done = true; fn(); } };
    requestAnimationFrame(once);
    setTimeout(once, 100);
  }

  // A call for generation `generation`: false when it belongs to an older session. A newer
  // generation starts afresh: waiting output of the old one is dropped and the terminal
  // cleared.
  function acceptGeneration(generation) {
    if (typeof generation !== 'number') return true;
    if (generation < state.generation) return false;
    if (generation > state.generation) {
      state.generation = generation;
      for (let i = queue.length - 1; i >= 0; i--) {
        if (queue[i].bytes) flow.queuedBytes -= queue[i].bytes.length;
      }
      queue.length = 0;
      state.olderPending = false;
      state.olderAtTop = false;
      state.olderChunks = [];
      overflowReported = false;
      enqueue({ reset: true });
    }
    return true;
  }

  // ---- modes reported to the bridge ----------------------------------------------------

  function reportModes() {
    const applicationCursor = term.modes.applicationCursorKeysMode;
    if (applicationCursor !== state.applicationCursor) {
      state.applicationCursor = applicationCursor;
      post('cursorKeyMode', { application: applicationCursor });
    }
    const bracketedPaste = term.modes.bracketedPasteMode;
    if (bracketedPaste !== state.bracketedPaste) {
      state.bracketedPaste = bracketedPaste;
      post('bracketedPasteMode', { enabled: bracketedPaste });
    }
  }

  function reportCopyMode() {
    const buffer = term.buffer.active;
    const active = buffer.viewportY < buffer.baseY;
    if (active !== state.copyMode) {
      state.copyMode = active;
      post('copyMode', { active: active });
    }
  }
  term.onScroll(reportCopyMode);

  // ---- geometry ------------------------------------------------------------------------

  function proposed() {
    const dims = fit.proposeDimensions();
    if (!dims || !isFinite(dims.cols) || !isFinite(dims.rows)) return null;
    return { cols: Math.max(2, dims.cols), rows: Math.max(1, dims.rows) };
  }

  function cellSize() {
    const screen = term.element && term.element.querySelector('.xterm-screen');
    if (!screen || term.cols === 0 || term.rows === 0) return { width: 0, height: 0 };
    return { width: screen.clientWidth / term.cols, height: screen.clientHeight / term.rows };
  }

  // Takeover fits the terminal to the view and reports the new size; the mirror keeps the
  // pane's size and only says when the view has grown wider than it.
  function refit() {
    const dims = proposed();
    if (!dims) return;
    if (state.mode === 'takeover') {
      if (dims.cols !== term.cols || dims.rows !== term.rows) {
        term.resize(dims.cols, dims.rows);
        post('viewportResize', { cols: dims.cols, rows: dims.rows });
      }
    } else if (dims.cols > term.cols && dims.cols !== state.lastProposedCols) {
      post('widthGrow', { cols: dims.cols, rows: dims.rows, previousCols: term.cols });
    }
    state.lastProposedCols = dims.cols;
  }

  let refitTimer = null;
  new ResizeObserver(function () {
    clearTimeout(refitTimer);
    refitTimer = setTimeout(refit, 30);
  }).observe(container);

  function measureAttachGeometry() {
    const dims = proposed() || { cols: term.cols, rows: term.rows };
    window.__attachGeometry = { cols: dims.cols, rows: dims.rows, settled: window.__metricsSettledFlag === true };
    return window.__attachGeometry;
  }

  // ---- screen text (content checks, tests) ---------------------------------------------

  function screenText() {
    const buffer = term.buffer.active;
    const lines = [];
    for (let y = 0; y < term.rows; y++) {
      const line = buffer.getLine(buffer.viewportY + y);
      lines.push(line ? line.translateToString(true) : '');
    }
    return lines.join('\n');
  }

  // ---- input ---------------------------------------------------------------------------

  let commitPending = false;
  term.onData(function (data) {
    if (commitPending) {
      commitPending = false;
      post(state.imeArmed ? 'imeCommit' : 'input', { text: data });
      return;
    }
    post('input', { text: data });
  });
  term.onBinary(function (data) {
    post('inputBytes', { base64: encodeBase64Binary(data) });
  });

  const textarea = term.textarea;
  if (textarea) {
    textarea.addEventListener('compositionstart', function (event) {
      commitPending = false;
      if (state.imeArmed) {
        post('compositionBoundary', { phase: 'start' });
        post('imeDiag', { event: 'compositionstart', data: event.data || '', composing: true });
      }
    });
    textarea.addEventListener('compositionupdate', function (event) {
      if (state.imeArmed) post('imeDiag', { event: 'compositionupdate', data: event.data || '', composing: true });
    });
    textarea.addEventListener('compositionend', function (event) {
      // xterm.js hands the committed text to onData right after this event.
      commitPending = !!event.data;
      if (state.imeArmed) {
        post('compositionBoundary', { phase: 'end' });
        post('imeDiag', { event: 'compositionend', data: event.data || '', composing: false });
      }
    });
  }

  // Copy on select: once the selection has stopped changing (a drag changes it often).
  let selectionTimer = null;
  term.onSelectionChange(function () {
    if (!state.copyOnSelect) return;
    clearTimeout(selectionTimer);
    selectionTimer = setTimeout(function () {
      const text = term.getSelection();
      if (text) post('copySelection', { text: text });
    }, 150);
  });

  // Keys are the bridge's: it encodes every key press itself (the desktop's key encoder and
  // its filters), so xterm.js never turns a key into input here. Only input-method
  // composition passes, and its committed text arrives through onData above.
  term.attachCustomKeyEventHandler(function (event) {
    if (event.isComposing || event.keyCode === 229) return true;
    if (event.type === 'keydown') event.preventDefault();
    return false;
  });

  term.attachCustomWheelEventHandler(function (event) {
    const buffer = term.buffer.active;
    if (state.wheelMode === 'arrows' && !event.ctrlKey) {
      const steps = Math.max(1, Math.min(5, Math.round(Math.abs(event.deltaY) / 40)));
      const key = event.deltaY < 0 ? 'A' : 'B';
      const sequence = (state.applicationCursor ? '\x1bO' : '\x1b[') + key;
      if (event.deltaY !== 0) post('input', { text: sequence.repeat(steps) });
      event.preventDefault();
      return false;
    }
    if (state.wheelMode === 'mouse') return true;
    if (event.deltaY < 0 && buffer.type === 'normal' && buffer.viewportY === 0) requestOlderHistory();
    return true;
  });

  term.element.addEventListener('mousedown', function (event) {
    const cell = cellSize();
    if (cell.width <= 0 || cell.height <= 0) return;
    const screen = term.element.querySelector('.xterm-screen');
    const rect = screen.getBoundingClientRect();
    const col = Math.floor((event.clientX - rect.left) / cell.width);
    const row = Math.floor((event.clientY - rect.top) / cell.height);
    if (col < 0 || row < 0 || col >= term.cols || row >= term.rows) return;
    post('applyTap', { col: col, row: row, button: event.button });
  });

  // ---- older history -------------------------------------------------------------------

  function requestOlderHistory() {
    if (state.olderPending || state.olderAtTop || transcriptTrimmed || state.generation === 0) return;
    state.olderPending = true;
    post('requestOlderHistory', { generation: state.generation });
  }

  // Older lines cannot be put above xterm's scroll-back, so the terminal is rebuilt: the
  // older bytes, then everything written since the last reset, keeping the viewport on the
  // same lines counted from the bottom.
  function prependOlder(older) {
    const fromBottom = term.buffer.active.baseY - term.buffer.active.viewportY;
    const replay = transcript;
    const olderBytes = older.length && !endsWithNewline(older) ? concatBytes([older, CRLF]) : older;
    queue.unshift(
      { reset: true },
      { bytes: olderBytes, record: true, trace: null },
      { bytes: concatBytes(replay), record: true, trace: null },
      { call: function () {
        const buffer = term.buffer.active;
        term.scrollToLine(Math.max(0, buffer.baseY - fromBottom));
      } });
    flow.queuedBytes += olderBytes.length + transcriptBytes;
    pump();
  }

  function endsWithNewline(bytes) {
    return bytes.length > 0 && bytes[bytes.length - 1] === 10;
  }

  // ---- functions the bridge calls ------------------------------------------------------

  window.__termWrite = function (base64, generation, superseded, traceSequence) {
    if (!acceptGeneration(generation)) return;
    enqueue({ bytes: decodeBase64(base64), record: true, output: true, superseded: !!superseded,
      trace: traceSequence === undefined ? null : traceSequence, enqueuedAt: performance.now() });
  };

  window.__termHistoryChunk = function (base64, generation, reset) {
    if (!acceptGeneration(generation)) return;
    if (reset) enqueue({ reset: true });
    enqueue({ bytes: decodeBase64(base64), record: true, trace: null });
  };

  window.__termHistoryEnd = function (generation, reset) {
    if (!acceptGeneration(generation)) return;
    if (reset) enqueue({ reset: true });
    enqueue({ call: function () { term.scrollToBottom(); reportCopyMode(); } });
  };

  window.__termOlderChunk = function (base64, generation) {
    if (typeof generation === 'number' && generation !== state.generation) return;
    state.olderChunks.push(decodeBase64(base64));
  };

  window.__termOlderEnd = function (generation, atTop, lines) {
    if (typeof generation === 'number' && generation !== state.generation) return;
    state.olderPending = false;
    state.olderAtTop = !!atTop;
    const older = concatBytes(state.olderChunks);
    state.olderChunks = [];
    if (older.length > 0 && (lines === undefined || lines > 0)) prependOlder(older);
  };

  window.__termResize = function (cols, rows) {
    const c = Math.max(2, Math.min(1000, Math.floor(cols)));
    const r = Math.max(1, Math.min(1000, Math.floor(rows)));
    if (c !== term.cols || r !== term.rows) term.resize(c, r);
  };

  window.__refit = refit;

  window.__reconcileMode = function (mode) {
    state.mode = mode === 'mirror' ? 'mirror' : 'takeover';
    document.body.classList.toggle('mode-mirror', state.mode === 'mirror');
    refit();
  };

  window.__metricsSettledFlag = false;
  window.__measureAttachGeometry = measureAttachGeometry;

  window.__armFirstReadableFrame = function () {
    state.firstReadableArmed = true;
  };

  window.__setImeArmed = function (armed) {
    state.imeArmed = !!armed;
  };

  window.__setMouseMode = function (enabled, encoding) {
    let sequence;
    if (enabled) {
      sequence = '\x1b[?1000h\x1b[?1002h';
      if (encoding === 'sgr') sequence += '\x1b[?1006h';
      else if (encoding === 'urxvt') sequence += '\x1b[?1015h';
      else if (encoding === 'utf8') sequence += '\x1b[?1005h';
    } else {
      sequence = '\x1b[?1000l\x1b[?1002l\x1b[?1003l\x1b[?1006l\x1b[?1015l\x1b[?1005l';
    }
    enqueue({ bytes: new TextEncoder().encode(sequence), record: false, trace: null });
  };

  window.__setDesktopWheelMode = function (mode) {
    state.wheelMode = mode === 'arrows' || mode === 'mouse' ? mode : 'scrollback';
  };

  window.__termGetSelection = function () {
    return term.getSelection();
  };

  // options: {fontFamily, fontSize, lineHeight, theme, scrollback, cursorBlink,
  // copyOnSelect, scrollSensitivity, mode, imeArmed, flowLimits: {highWaterBytes,
  // maxQueuedBytes}}; absent keys keep their value.
  window.__termInit = function (options) {
    const o = options || {};
    const termOptions = ['fontFamily', 'fontSize', 'lineHeight', 'theme', 'scrollback', 'cursorBlink'];
    for (const key of termOptions) {
      if (o[key] !== undefined && o[key] !== null) term.options[key] = o[key];
    }
    if (typeof o.scrollSensitivity === 'number') term.options.scrollSensitivity = o.scrollSensitivity;
    if (typeof o.copyOnSelect === 'boolean') state.copyOnSelect = o.copyOnSelect;
    if (typeof o.imeArmed === 'boolean') state.imeArmed = o.imeArmed;
    if (o.flowLimits) {
      for (const key of ['highWaterBytes', 'maxQueuedBytes']) {
        if (typeof o.flowLimits[key] === 'number' && o.flowLimits[key] > 0) limits[key] = o.flowLimits[key];
      }
    }
    if (o.theme && o.theme.background) document.body.style.background = o.theme.background;
    if (typeof o.mode === 'string') window.__reconcileMode(o.mode);
    else refit();
    term.focus();
  };

  window.__termFlowState = function () {
    return { queuedBytes: flow.queuedBytes, writtenBytes: flow.writtenBytes,
      acknowledgedBytes: flow.acknowledgedBytes, droppedBytes: flow.droppedBytes,
      queuedItems: queue.length, generation: state.generation };
  };

  // For content checks and tests: the visible rows, and input-to-paint traces.
  window.__termScreenText = screenText;
  window.__termTraceLog = function () { return traceLog.slice(); };
  window.__termPendingMessages = function () { return pendingMessages.slice(); };

  window.addEventListener('error', function (event) {
    post('renderAnomaly', { text: String(event.message || event.error || 'script error').slice(0, 4000) });
  });

  // ---- start-up ------------------------------------------------------------------------

  connectChannel(function () {
    post('pageLoaded', {});
    const fontsReady = document.fonts && document.fonts.ready ? document.fonts.ready : Promise.resolve();
    fontsReady.then(function () {
      setTimeout(function () {
        refit();
        window.__metricsSettledFlag = true;
        const dims = measureAttachGeometry();
        const cell = cellSize();
        if (!state.readyPosted) {
          state.readyPosted = true;
          post('ready', { cols: dims.cols, rows: dims.rows, cellWidth: cell.width, cellHeight: cell.height });
        }
      }, 0);
    });
  });
})();
