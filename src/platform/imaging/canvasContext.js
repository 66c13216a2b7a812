// The canvases behind CanvasContext (canvasContext.cpp): a table of them,
// each with its 2D context and the layers open on it, and the drawing calls
// the C++ side makes by a canvas's index in the table.
mergeInto(LibraryManager.library, {
  $ZC: {
    items: [null],
    add: function (item) {
      const free = ZC.items.indexOf(undefined, 1);
      if (free > 0) {
        ZC.items[free] = item;
        return free;
      }
      ZC.items.push(item);
      return ZC.items.length - 1;
    },
    make: function (w, h) {
      if (typeof OffscreenCanvas != "undefined")
        return new OffscreenCanvas(w, h);
      if (typeof document != "undefined") {
        const c = document.createElement("canvas");
        c.width = w;
        c.height = h;
        return c;
      }
      return null;
    },
    colour: function (r, g, b, a) {
      return "rgba(" + Math.round(r * 255) + "," + Math.round(g * 255) + "," + Math.round(b * 255) + "," + a + ")";
    },
    // The context drawn on: the innermost layer while one is open.
    cx: function (h) {
      const item = ZC.items[h];
      return item.layers.length ? item.layers[item.layers.length - 1] : item.ctx;
    }
  },

  // A bitmap is read back (the crop editor's face): its pixels stay on the
  // CPU, where reading them costs no trip to the GPU.
  zcBitmap__deps: ["$ZC"],
  zcBitmap: function (w, h) {
    const canvas = ZC.make(w, h);
    const options = { willReadFrequently: true };
    const ctx = canvas ? canvas.getContext("2d", options) : null;
    return ctx ? ZC.add({ canvas: canvas, ctx: ctx, layers: [], options: options }) : 0;
  },

  zcPageCanvas__deps: ["$ZC"],
  zcPageCanvas: function (selector) {
    const canvas = typeof document != "undefined" ? document.querySelector(UTF8ToString(selector)) : null;
    const ctx = canvas ? canvas.getContext("2d") : null;
    return ctx ? ZC.add({ canvas: canvas, ctx: ctx, layers: [] }) : 0;
  },

  zcRelease__deps: ["$ZC"],
  zcRelease: function (h) {
    ZC.items[h] = undefined;
  },

  // 0 save, 1 restore, 2 begin a path, 3 clip to it, 4 clear inside the clip.
  zcState__deps: ["$ZC"],
  zcState: function (h, op) {
    const c = ZC.cx(h);
    switch (op) {
      case 0: c.save(); break;
      case 1: c.restore(); break;
      case 2: c.beginPath(); break;
      case 3: c.clip(); c.beginPath(); break;
      case 4:
        c.save();
        c.setTransform(1, 0, 0, 1, 0, 0);
        c.clearRect(0, 0, c.canvas.width, c.canvas.height);
        c.restore();
        break;
    }
  },

  // 0 translate, 1 scale, 2 move to, 3 line to, 4 arc, 5 rectangle,
  // 6 a closed rounded rectangle of its own (e: its radius).
  zcPath__deps: ["$ZC"],
  zcPath: function (h, op, a, b, c2, d, e) {
    const c = ZC.cx(h);
    switch (op) {
      case 0: c.translate(a, b); break;
      case 1: c.scale(a, b); break;
      case 2: c.moveTo(a, b); break;
      case 3: c.lineTo(a, b); break;
      case 4: c.arc(a, b, c2, d, e, false); break;
      case 5: c.rect(a, b, c2, d); break;
      case 6: {
        const k = e, x0 = a, y0 = b, x1 = a + c2, y1 = b + d;
        c.moveTo(x1 - k, y0);
        c.arc(x1 - k, y0 + k, k, -Math.PI / 2, 0);
        c.arc(x1 - k, y1 - k, k, 0, Math.PI / 2);
        c.arc(x0 + k, y1 - k, k, Math.PI / 2, Math.PI);
        c.arc(x0 + k, y0 + k, k, Math.PI, 3 * Math.PI / 2);
        c.closePath();
        break;
      }
    }
  },

  // Fills (width < 0) or strokes the path with a colour, or a vertical
  // gradient from the first colour at y0 to the second at y1.
  zcPaint__deps: ["$ZC"],
  zcPaint: function (h, gradient, r, g, b, a, r2, g2, b2, a2, y0, y1, width, round, keep) {
    const c = ZC.cx(h);
    let style = ZC.colour(r, g, b, a);
    if (gradient) {
      style = c.createLinearGradient(0, y0, 0, y1);
      style.addColorStop(0, ZC.colour(r, g, b, a));
      style.addColorStop(1, ZC.colour(r2, g2, b2, a2));
    }
    if (width < 0) {
      c.fillStyle = style;
      c.fill();
    } else {
      c.strokeStyle = style;
      c.lineWidth = width;
      c.lineCap = round ? "round" : "butt";
      c.lineJoin = round ? "round" : "miter";
      c.stroke();
    }
    if (!keep)
      c.beginPath();
  },

  // A layer is a canvas the size of the one below, kept for the next layer
  // at the same depth: making one is far dearer than clearing it.
  zcBeginLayer__deps: ["$ZC"],
  zcBeginLayer: function (h) {
    const item = ZC.items[h];
    const below = ZC.cx(h);
    item.spare = item.spare || [];
    let layer = item.spare[item.layers.length];
    if (!layer || layer.canvas.width != item.canvas.width || layer.canvas.height != item.canvas.height) {
      layer = ZC.make(item.canvas.width, item.canvas.height).getContext("2d", item.options);
      item.spare[item.layers.length] = layer;
    } else if (layer.reset) {
      layer.reset();  // cleared, and its state (a clip left over) as new
    } else {
      layer.setTransform(1, 0, 0, 1, 0, 0);
      layer.clearRect(0, 0, layer.canvas.width, layer.canvas.height);
    }
    layer.setTransform(below.getTransform());
    item.layers.push(layer);
  },

  zcEndLayer__deps: ["$ZC"],
  zcEndLayer: function (h, alpha) {
    const layer = ZC.items[h].layers.pop();
    if (!layer)
      return;
    const below = ZC.cx(h);
    below.save();
    below.setTransform(1, 0, 0, 1, 0, 0);
    below.globalAlpha = alpha;
    below.drawImage(layer.canvas, 0, 0);
    below.restore();
  },

  // RGBA rows with straight alpha into the picture p (0: a new one); its index.
  zcPictureSet__deps: ["$ZC"],
  zcPictureSet: function (p, rgba, w, h) {
    let item = p ? ZC.items[p] : null;
    if (!item || item.canvas.width != w || item.canvas.height != h) {
      const canvas = ZC.make(w, h);
      if (!canvas)
        return 0;
      // Kept on the CPU: it is drawn into bitmaps as often as on the page.
      const options = { willReadFrequently: true };
      item = { canvas: canvas, ctx: canvas.getContext("2d", options), layers: [], options: options };
      if (p)
        ZC.items[p] = item;
      else
        p = ZC.add(item);
    }
    const pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, w * h * 4).slice();
    item.ctx.putImageData(new ImageData(pixels, w, h), 0, 0);
    return p;
  },

  // Picture p under the map (a, b, c, d, e, f), then the current transform.
  zcDrawPicture__deps: ["$ZC"],
  zcDrawPicture: function (h, p, a, b, c2, d, e, f, smooth) {
    const c = ZC.cx(h);
    c.save();
    c.transform(a, b, c2, d, e, f);
    c.imageSmoothingEnabled = true;
    c.imageSmoothingQuality = smooth ? "high" : "low";
    c.drawImage(ZC.items[p].canvas, 0, 0);
    c.restore();
  },

  // Picture p stretched into (x, y, w, ht), shown where the alpha of the
  // picture mask, stretched the same way, covers.
  zcDrawMasked__deps: ["$ZC"],
  zcDrawMasked: function (h, p, mask, x, y, w, ht) {
    const c = ZC.cx(h), item = ZC.items[h];
    let scratch = item.scratch;
    if (!scratch || scratch.canvas.width != c.canvas.width || scratch.canvas.height != c.canvas.height)
      scratch = item.scratch = ZC.make(c.canvas.width, c.canvas.height).getContext("2d", item.options);
    else if (scratch.reset)
      scratch.reset();
    else {
      scratch.setTransform(1, 0, 0, 1, 0, 0);
      scratch.globalCompositeOperation = "source-over";
      scratch.clearRect(0, 0, scratch.canvas.width, scratch.canvas.height);
    }
    scratch.setTransform(c.getTransform());
    scratch.imageSmoothingQuality = "high";
    scratch.drawImage(ZC.items[p].canvas, x, y, w, ht);
    scratch.globalCompositeOperation = "destination-in";
    scratch.drawImage(ZC.items[mask].canvas, x, y, w, ht);
    c.save();
    c.setTransform(1, 0, 0, 1, 0, 0);
    c.drawImage(scratch.canvas, 0, 0);
    c.restore();
  },

  // The screens' font, which the page loads before the program starts
  // (index.html); else a face with its widths.
  zcFont__deps: ["$ZC"],
  zcFont: function (h, size, bold, italic) {
    ZC.cx(h).font = (italic ? "italic " : "") + (bold ? "bold " : "") + size +
                    "px 'Zorbel Sans', Helvetica, Arial, sans-serif";
  },

  zcMeasure__deps: ["$ZC"],
  zcMeasure: function (h, text) {
    return ZC.cx(h).measureText(UTF8ToString(text)).width;
  },

  // A line's height: the font's ascent and descent.
  zcLineHeight__deps: ["$ZC"],
  zcLineHeight: function (h) {
    const m = ZC.cx(h).measureText("Hg");
    const ascent = m.fontBoundingBoxAscent || m.actualBoundingBoxAscent * 1.15;
    const descent = m.fontBoundingBoxDescent || m.actualBoundingBoxDescent * 1.5;
    return ascent + descent;
  },

  zcText__deps: ["$ZC"],
  zcText: function (h, text, x, y, r, g, b, a) {
    const c = ZC.cx(h);
    c.fillStyle = ZC.colour(r, g, b, a);
    c.textBaseline = "top";
    c.fillText(UTF8ToString(text), x, y);
  },

  // Straight-alpha RGBA of a rectangle of a canvas into out.
  zcRead__deps: ["$ZC"],
  zcRead: function (h, x, y, w, ht, out) {
    HEAPU8.set(ZC.items[h].ctx.getImageData(x, y, w, ht).data, out);
  }
});
