// The page side of the bridge, injected at document start into every page the
// shell shows. It publishes `nimboDesktop`, the page's whole vocabulary towards
// the shell, and the two entry points the shell calls to answer and to notify.
(function () {
  "use strict";
  if (window.nimboDesktop) return;

  const pending = new Map();     // invoke id -> resolve function
  const subscribers = new Map(); // channel -> Set of callbacks
  let lastId = 0;

  function post(message) {
    const handlers = window.webkit && window.webkit.messageHandlers;
    if (handlers && handlers.nimbo) handlers.nimbo.postMessage(message);
  }

  // `arguments.length` tells "no payload" apart from an explicit undefined.
  function send(channel, payload) {
    const message = { kind: "send", channel: channel };
    if (arguments.length > 1) message.payload = payload;
    post(message);
  }

  function invoke(channel, payload) {
    const withPayload = arguments.length > 1;
    return new Promise(function (resolve) {
      lastId += 1;
      const message = { kind: "invoke", channel: channel, id: lastId };
      if (withPayload) message.payload = payload;
      pending.set(lastId, resolve);
      post(message);
    });
  }

  function on(channel) {
    return function (callback) {
      let set = subscribers.get(channel);
      if (!set) {
        set = new Set();
        subscribers.set(channel, set);
      }
      set.add(callback);
      return function unsubscribe() {
        const current = subscribers.get(channel);
        if (current) current.delete(callback);
      };
    };
  }

  window.__nimboResolve = function (id, value) {
    const resolve = pending.get(id);
    if (!resolve) return;
    pending.delete(id);
    resolve(value);
  };

  window.__nimboEmit = function (channel, payload) {
    const set = subscribers.get(channel);
    if (!set) return;
    // A copy, so a callback that unsubscribes doesn't disturb the iteration.
    for (const callback of Array.from(set)) {
      try {
        callback(payload);
      } catch (error) {
        // One failing subscriber must not keep the others from hearing the event.
        if (window.console) console.error("nimbo: subscriber failed on " + channel, error);
      }
    }
  };

  // Only the boolean true crosses as true: nothing merely truthy may, say, press Return.
  const exactlyTrue = (value) => value === true;
  const textOrEmpty = (value) => (value === null || value === undefined ? "" : String(value));
  const member = (object, key) => (object === null || object === undefined ? undefined : object[key]);

  window.nimboDesktop = Object.freeze({
    onListen: on("nimbo:listen"),
    onCaptured: on("nimbo:captured"),
    onElements: on("nimbo:elements"),
    onCancel: on("nimbo:cancel"),
    onClicked: on("nimbo:clicked"),
    onConfirm: on("nimbo:confirm"),
    onTap: on("nimbo:tap"),
    onCursor: on("nimbo:cursor"),
    onCaption: on("nimbo:caption"),
    onLevel: on("nimbo:level"),
    onSpoken: on("nimbo:spoken"),
    onAct: on("nimbo:caption-act"),
    onFrame: on("nimbo:frame"),
    onOfferDone: on("nimbo:offer-done"),
    onPersonality: on("nimbo:personality"),
    onQuiet: on("nimbo:quiet"),
    onPrompter: on("nimbo:prompter"),
    onSteer: on("nimbo:steer"),
    onFullscreen: on("nimbo:fullscreen"),
    onTeach: on("nimbo:teach"),
    onTypeAsk: on("nimbo:type-ask"),
    onPref: on("nimbo:pref"),
    onMeeting: on("nimbo:meeting"),
    onGlass: on("nimbo:glass"),
    onAsk: on("nimbo:ask"),
    onPointed: on("nimbo:pointed"),
    onDocument: on("nimbo:document"),
    onGuide: on("nimbo:guide"),

    scrollPage: (pages) => invoke("nimbo:scroll", { pages: typeof pages === "number" ? pages : 0.85 }),
    steerMode: (on_) => send("nimbo:steer-mode", exactlyTrue(on_)),
    log: (m) => send("nimbo:log", String(m)),
    wantCursor: (w) => send("nimbo:want-cursor", exactlyTrue(w)),
    sendCaption: (p) => send("nimbo:caption", p),
    sendLevel: (l) => send("nimbo:level", l),
    sendSpoken: (s) => send("nimbo:spoken", s),
    sendAct: (a) => send("nimbo:caption-act", a),
    reportCaptionSize: (w, h) => send("nimbo:caption-size", { w: w, h: h }),
    reportPanel: (w, h, mode) => send("nimbo:caption-panel", { w: w, h: h, mode: String(mode) }),
    reportShape: (shape) => send("nimbo:caption-shape", shape),
    setInteractive: (solid) => send("nimbo:interactive", exactlyTrue(solid)),
    haptic: () => send("nimbo:haptic"),
    grab: () => invoke("nimbo:capture"),
    watchFrame: (o) => invoke("nimbo:watch-frame", { hideOverlays: member(o, "hideOverlays") !== false }),
    readPage: (n) => invoke("nimbo:read-page", { maxScreens: n === null || n === undefined ? null : n }),
    openBoard: (b) =>
      send("nimbo:open-board", { title: textOrEmpty(member(b, "title")), text: textOrEmpty(member(b, "text")) }),
    openLearn: (path) => send("nimbo:open-learn", textOrEmpty(path)),
    openNimbo: (path) => send("nimbo:open-nimbo", textOrEmpty(path)),
    setNotchLook: (look) => send("nimbo:notch-look", textOrEmpty(look)),
    teachNow: () => invoke("nimbo:teach-now"),
    fullscreen: () => send("nimbo:fullscreen"),
    fullscreenNow: () => invoke("nimbo:fullscreen-now"),
    dragWindow: () => send("nimbo:drag-window"),
    titleDoubleClick: () => send("nimbo:title-double-click"),
    type: (text, at, options) => {
      const field = member(options, "field");
      const target = member(options, "target");
      const capture = member(field, "capture");
      const elementId = member(field, "elementId");
      return invoke("nimbo:type", {
        text: text,
        at: at,
        submit: exactlyTrue(member(options, "submit")),
        target: typeof target === "string" ? target : null,
        capture: typeof capture === "number" ? capture : null,
        elementId: typeof elementId === "string" ? elementId : null,
      });
    },
    fieldAt: (at) => invoke("nimbo:field-at", at),
    staged: () => send("nimbo:staged"),
    confirmSpoken: () => invoke("nimbo:confirm-spoken"),
    typeInstead: () => send("nimbo:type-instead"),
    typeAskNow: () => invoke("nimbo:type-ask-now"),
    scrollTo: (find) => invoke("nimbo:scroll-to", { find: textOrEmpty(find) }),
    zoom: (at) => invoke("nimbo:zoom", at),
    housing: () => invoke("nimbo:housing"),
    frameNow: () => invoke("nimbo:frame-now"),
    offer: (o) => invoke("nimbo:offer", o),
    clearOffer: () => send("nimbo:offer-clear"),
    acceptOffer: (id, rect) => invoke("nimbo:offer-accept", { id: id, rect: rect }),
    acceptSpoken: (id) => invoke("nimbo:offer-speech", { id: String(id) }),
    personality: () => invoke("nimbo:personality-now"),
    setPersonality: (id) => send("nimbo:set-personality", String(id)),
    personalities: (list) => send("nimbo:personalities", list),
    quiet: () => invoke("nimbo:quiet-now"),
    clipboard: () => invoke("nimbo:clipboard"),
    pref: (key) => invoke("nimbo:pref-get", String(key)),
    setPref: (key, value) => invoke("nimbo:pref-set", { key: String(key), value: value }),
    startPrompter: (text, opts) => {
      const seconds = member(opts, "seconds");
      return send("nimbo:prompter-start", {
        text: textOrEmpty(text),
        mode: member(opts, "mode") === "timed" ? "timed" : "voice",
        seconds: typeof seconds === "number" ? seconds : null,
      });
    },
    startMeeting: (id) => invoke("nimbo:meeting-start", { id: String(id) }),
    stopMeeting: () => invoke("nimbo:meeting-stop"),
    meeting: () => invoke("nimbo:meeting-now"),
    askScreen: (question, url) =>
      send("nimbo:ask-screen", { question: textOrEmpty(question), url: url ? String(url) : null }),
    guideNow: () => invoke("nimbo:guide-now"),
    permissions: () => invoke("nimbo:permissions"),
    openSettings: (pane) => send("nimbo:open-settings", String(pane)),
    visible: () => invoke("nimbo:visible-now"),
    setVisible: (on_) => send("nimbo:set-visible", exactlyTrue(on_)),
    openURL: (url) => send("nimbo:open-url", String(url)),
    signIn: (provider) => send("nimbo:sign-in", String(provider)),
    walkPermissions: (pane) => send("nimbo:walk-permissions", pane ? String(pane) : null),
    setQuiet: (on_) => send("nimbo:set-quiet", exactlyTrue(on_)),
  });
})();
