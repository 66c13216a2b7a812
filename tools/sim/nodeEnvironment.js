// The simulator under node sees the environment it was started with (the
// preference and data folders), as the desktop program does.
Module.preRun = Module.preRun || [];
Module.preRun.push(function () {
  Object.assign(ENV, process.env);
});
