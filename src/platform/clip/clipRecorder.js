// Clips in the browser, behind clipRecorderWeb.cpp: the board's canvas at 30
// frames a second with the microphone's track, recorded by MediaRecorder in
// the first kind it takes (MP4 first: H.264 and AAC, which Safari records;
// then WebM), then handed to the phone's share sheet or saved as a download.
mergeInto(LibraryManager.library, {
  $ZR: {
    // With sound, and (for a clip without) pictures only: Firefox's
    // recorder, told of a sound it never gets, never finishes.
    mp4: [
      ["video/mp4;codecs=avc1.42E01E,mp4a.40.2", ".mp4", "video/mp4;codecs=avc1.42E01E"],
      ["video/mp4", ".mp4", "video/mp4"]
    ],
    webm: [
      ["video/webm;codecs=vp8,opus", ".webm", "video/webm;codecs=vp8"],  // cheaper to encode than VP9
      ["video/webm;codecs=vp9,opus", ".webm", "video/webm;codecs=vp9"],
      ["video/webm", ".webm", "video/webm"]
    ],
    clip: null,

    // The first kind this browser records, or null. WebKit (every browser on
    // an iPhone) records MP4, which its photos and share sheet take; the
    // others record WebM first: Chromium's MP4 starts sound and pictures
    // both at zero, however far apart they began, and puts the sound of a
    // clip up to a quarter of a second out of step.
    kind: function (sound) {
      if (typeof MediaRecorder == "undefined" || !MediaRecorder.isTypeSupported)
        return null;
      const apple = navigator.vendor == "Apple Computer, Inc.";
      for (const kind of apple ? ZR.mp4.concat(ZR.webm) : ZR.webm.concat(ZR.mp4))
        if (MediaRecorder.isTypeSupported(kind[sound ? 0 : 2]))
          return [kind[sound ? 0 : 2], kind[1]];
      return null;
    },

    // A phone offers its share sheet; a computer saves a download.
    deliver: function (clip, file) {
      const download = function () {
        const url = URL.createObjectURL(file);
        const a = document.createElement("a");
        a.href = url;
        a.download = file.name;
        a.style.display = "none";
        document.body.appendChild(a);
        a.click();
        a.remove();
        setTimeout(function () { URL.revokeObjectURL(url); }, 60000);
        _zorbelClipFinished(1, clip.extension == ".mp4" ? 0 : 1, clip.sound);
      };
      const phone = navigator.maxTouchPoints > 0 && window.matchMedia && matchMedia("(pointer: coarse)").matches;
      if (phone && navigator.canShare && navigator.share && navigator.canShare({ files: [file] })) {
        navigator.share({ files: [file], title: "Zorbel" })
          .then(function () { _zorbelClipFinished(2, clip.extension == ".mp4" ? 0 : 1, clip.sound); })
          .catch(function (e) {
            if (e && e.name == "AbortError")  // the user closed the sheet: the clip is not thrown away
              console.log("clip: the share sheet was closed; saving the clip instead");
            download();
          });
        return;
      }
      download();
    }
  },

  // 1 when clips can be made in this browser.
  zrAvailable__deps: ["$ZR"],
  zrAvailable: function () {
    const canvas = document.getElementById("board");
    return canvas && canvas.captureStream && ZR.kind(false) ? 1 : 0;
  },

  // Starts a clip named `base` (an extension is added); 0 when it cannot
  // start, 1 with sound, 2 silent (no microphone to be heard).
  zrStart__deps: ["$ZR"],
  zrStart: function (base) {
    const canvas = document.getElementById("board");
    if (!canvas || !canvas.captureStream)
      return 0;
    try {
      const stream = canvas.captureStream(30);
      let mic = Module.zorbelMicTrack ? Module.zorbelMicTrack() : null;
      const kind = ZR.kind(!!mic) || (mic = null) || ZR.kind(false);
      if (!kind)
        return 0;
      if (mic)
        stream.addTrack(mic.clone());  // the clip's own: stopping it leaves the microphone alone
      const recorder = new MediaRecorder(stream, { mimeType: kind[0], videoBitsPerSecond: 2500000 });
      const clip = { recorder: recorder, stream: stream, chunks: [], type: kind[0].split(";")[0],
                     extension: kind[1], name: UTF8ToString(base) + kind[1], sound: mic ? 1 : 0 };
      recorder.ondataavailable = function (e) {
        if (e.data && e.data.size)
          clip.chunks.push(e.data);
      };
      recorder.onstop = function () {
        clip.stream.getTracks().forEach(function (t) { t.stop(); });
        const file = new File(clip.chunks, clip.name, { type: clip.type });
        clip.chunks = [];
        if (ZR.clip === clip)
          ZR.clip = null;
        if (!file.size) {
          console.log("clip: the browser recorded nothing");
          _zorbelClipFinished(0, 0, 0);
          return;
        }
        console.log("clip: " + clip.name + ", " + file.size + " bytes of " + clip.type);
        ZR.deliver(clip, file);
      };
      recorder.onerror = function (e) {
        console.log("clip: the recorder failed: " + (e.error ? e.error.name + " " + e.error.message : e));
      };
      recorder.start(1000);
      ZR.clip = clip;
      return mic ? 1 : 2;
    } catch (e) {
      console.log("clip: it cannot start: " + e);
      return 0;
    }
  },

  zrStop__deps: ["$ZR"],
  zrStop: function () {
    if (ZR.clip && ZR.clip.recorder.state != "inactive") {
      ZR.clip.recorder.stop();
      // Ended tracks let the recorder finish even where the canvas draws no
      // more frames (a hidden page's: Firefox waits for one otherwise).
      ZR.clip.stream.getTracks().forEach(function (t) { t.stop(); });
    }
  }
});
