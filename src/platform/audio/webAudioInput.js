// The microphone behind webAudioInput.cpp: getUserMedia into an AudioContext
// at 8000 Hz where the browser connects a microphone to one (else at its own
// rate, averaged down), handing blocks of 16-bit samples to the level meter.
// An audio worklet hands over 128 samples (16 ms) at a time, as the desktop's
// capture does, so that the meter moves once a frame; a browser without
// worklets gets a script processor's larger blocks.
mergeInto(LibraryManager.library, {
  $ZM: {
    mics: {},

    // The worklet: mono samples at the context's rate, averaged down to
    // 8000 Hz, posted 128 at a time.
    capture: [
      "class Capture extends AudioWorkletProcessor {",
      "  constructor() { super(); this.block = new Float32Array(128); this.n = 0; this.phase = 0; this.sum = 0; this.count = 0; }",
      "  process(inputs, outputs) {",
      "    const input = inputs[0] && inputs[0][0];",
      "    if (input)",
      "      for (let i = 0; i < input.length; ++i) {",
      "        this.sum += input[i]; ++this.count; this.phase += 8000;",
      "        if (this.phase >= sampleRate) {",
      "          this.phase -= sampleRate;",
      "          this.block[this.n++] = this.sum / this.count; this.sum = 0; this.count = 0;",
      "          if (this.n == 128) { this.port.postMessage(this.block); this.block = new Float32Array(128); this.n = 0; }",
      "        }",
      "      }",
      "    return true;",
      "  }",
      "}",
      "registerProcessor('zorbel-capture', Capture);"
    ].join("\n"),

    context: function (rate) {
      const Context = window.AudioContext || window.webkitAudioContext;
      try {
        return rate ? new Context({ sampleRate: rate }) : new Context();
      } catch (e) {
        return null;
      }
    },

    // The microphone cannot be heard: 0 none, 1 refused, 2 disconnected,
    // 3 the browser holds its sound back.
    trouble: function (mic, why, text) {
      if (mic.closed)
        return;
      console.log("microphone: " + text);
      _zorbelMicTrouble(mic.handle, why);
    },

    // Samples at 8000 Hz (-1..1) into the meter's buffer, then to the meter.
    deliver: function (mic, samples, count) {
      if (mic.closed)
        return;
      const base = mic.buffer >> 1, n = Math.min(count, mic.capacity);
      for (let i = 0; i < n; ++i) {
        const s = Math.round(samples[i] * 32767);
        HEAP16[base + i] = s > 32767 ? 32767 : s < -32768 ? -32768 : s;
      }
      if (n > 0)
        _zorbelMicSamples(mic.handle, n);
    },

    // A browser may keep a context suspended: with no sound device, until a
    // gesture, after an interruption. Said once, a while after it should
    // have run; a gesture tries again (zmResume).
    watch: function (mic) {
      clearTimeout(mic.watch);
      mic.watch = setTimeout(function () {
        if (!mic.closed && mic.ctx && mic.ctx.state != "running" && !mic.toldHeldBack) {
          mic.toldHeldBack = true;
          ZM.trouble(mic, 3, "the browser holds its sound back (the context is " + mic.ctx.state + ")");
        }
      }, 2500);
    },

    // The script processor, for a browser without audio worklets.
    processor: function (mic) {
      const rate = mic.ctx.sampleRate, out = new Float32Array(2048);
      let phase = 0, sum = 0, n = 0;
      mic.node = mic.ctx.createScriptProcessor(rate > 8000 ? 2048 : 256, 1, 1);
      mic.node.onaudioprocess = function (e) {
        const input = e.inputBuffer.getChannelData(0);
        let count = 0;
        for (let i = 0; i < input.length; ++i) {
          sum += input[i];
          ++n;
          phase += 8000;
          if (phase >= rate) {
            phase -= rate;
            out[count++] = sum / n;
            sum = 0;
            n = 0;
          }
        }
        ZM.deliver(mic, out, count);
      };
      mic.source.connect(mic.node);
      mic.node.connect(mic.ctx.destination);  // a processor runs only when connected; it outputs silence
    },

    worklet: function (mic) {
      const url = URL.createObjectURL(new Blob([ZM.capture], { type: "application/javascript" }));
      return mic.ctx.audioWorklet.addModule(url).then(function () {
        URL.revokeObjectURL(url);
        if (mic.closed)
          return;
        mic.node = new AudioWorkletNode(mic.ctx, "zorbel-capture",
                                        { numberOfInputs: 1, numberOfOutputs: 1, outputChannelCount: [1],
                                          channelCount: 1, channelCountMode: "explicit" });
        mic.node.port.onmessage = function (e) { ZM.deliver(mic, e.data, e.data.length); };
        mic.source.connect(mic.node);
        mic.node.connect(mic.ctx.destination);  // it outputs silence
      });
    },

    listen: function (mic, stream) {
      mic.stream = stream;
      try {
        mic.source = mic.ctx.createMediaStreamSource(stream);
      } catch (e) {
        // Some browsers connect a microphone only to a context at its rate.
        mic.ctx.close();
        mic.ctx = ZM.context(8000) || ZM.context(0);
        mic.ctx.resume();
        mic.source = mic.ctx.createMediaStreamSource(stream);
      }
      // An interruption (a call, Siri, the page sent to the background on
      // iOS) leaves the context "interrupted" or "suspended": it is asked
      // to run again at once, which works where no gesture is needed, and
      // else at the next gesture, the board saying so meanwhile.
      mic.ctx.onstatechange = function () {
        if (mic.closed)
          return;
        if (mic.ctx.state == "running") {
          mic.toldHeldBack = false;
          return;
        }
        if (mic.ctx.state != "closed") {
          console.log("microphone: the sound stopped (the context is " + mic.ctx.state + "); asking it to run again");
          mic.ctx.resume().catch(function () {});
          ZM.watch(mic);
        }
      };
      ZM.watch(mic);
      const built = mic.ctx.audioWorklet && typeof AudioWorkletNode == "function"
                        ? ZM.worklet(mic).catch(function (e) {
                            console.log("microphone: no audio worklet (" + e + "); a script processor instead");
                            ZM.processor(mic);
                          })
                        : Promise.resolve(ZM.processor(mic));
      stream.getAudioTracks().forEach(function (t) {
        t.onended = function () { ZM.trouble(mic, 2, "the microphone was disconnected"); };
        // A track muted by the system (a call) comes back by itself; its
        // context may need asking again.
        t.onunmute = function () {
          if (!mic.closed && mic.ctx.state != "running" && mic.ctx.state != "closed")
            mic.ctx.resume().catch(function () {});
        };
      });
      return built;
    }
  },

  // Opens the microphone for the capture `handle`, whose meter reads from
  // `buffer` (room for `capacity` samples). The context is made at once,
  // inside the user's gesture, so that it may run.
  zmOpen__deps: ["$ZM"],
  zmOpen: function (handle, buffer, capacity) {
    const mic = { handle: handle, buffer: buffer, capacity: capacity, closed: false };
    ZM.mics[handle] = mic;
    Module.zorbelMics = ZM.mics;  // for whoever looks into the page (a test)
    // The microphone's live track, for a clip's sound; null when none is heard.
    Module.zorbelMicTrack = function () {
      for (const h in ZM.mics) {
        const m = ZM.mics[h], t = m.stream && m.stream.getAudioTracks()[0];
        if (t && t.readyState == "live" && m.ctx && m.ctx.state == "running")
          return t;
      }
      return null;
    };
    const devices = navigator.mediaDevices;
    if (!devices || !devices.getUserMedia || !(window.AudioContext || window.webkitAudioContext)) {
      setTimeout(function () { ZM.trouble(mic, 0, "this browser offers no sound capture"); }, 0);
      return;
    }
    mic.ctx = ZM.context(8000) || ZM.context(0);
    if (mic.ctx && mic.ctx.resume)
      mic.ctx.resume();
    devices.getUserMedia({ audio: { echoCancellation: false, noiseSuppression: false, autoGainControl: false,
                                    channelCount: 1 }, video: false })
      .then(function (stream) {
        if (mic.closed) {
          stream.getTracks().forEach(function (t) { t.stop(); });
          return;
        }
        return ZM.listen(mic, stream);
      })
      .catch(function (e) {
        const refused = e && (e.name == "NotAllowedError" || e.name == "SecurityError");
        ZM.trouble(mic, refused ? 1 : 0, (e && e.name ? e.name + ": " : "") + (e && e.message ? e.message : e));
      });
  },

  zmClose__deps: ["$ZM"],
  zmClose: function (handle) {
    const mic = ZM.mics[handle];
    if (!mic)
      return;
    delete ZM.mics[handle];
    mic.closed = true;
    clearTimeout(mic.watch);
    if (mic.node) {
      if (mic.node.port)
        mic.node.port.onmessage = null;
      else
        mic.node.onaudioprocess = null;
      mic.node.disconnect();
    }
    if (mic.source)
      mic.source.disconnect();
    if (mic.stream)
      mic.stream.getTracks().forEach(function (t) { t.stop(); });
    if (mic.ctx)
      mic.ctx.close();
  },

  // Inside a touch, a click or a key press: a context the browser holds
  // back is asked to run again, and watched again.
  zmResume__deps: ["$ZM"],
  zmResume: function () {
    for (const handle in ZM.mics) {
      const mic = ZM.mics[handle];
      if (mic.ctx && mic.ctx.state != "running" && mic.ctx.state != "closed") {
        mic.ctx.resume().catch(function () {});
        mic.toldHeldBack = false;
        if (mic.stream)
          ZM.watch(mic);
      }
    }
  }
});
