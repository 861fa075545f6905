// Keeps the game's files for play without a network. Each build keeps them in a cache of its own, named
// by their content (web/service-worker.cmake writes both in), so a page never mixes two builds' files.
var BUILD = 'kanamiina-@WEB_BUILD_HASH@';
var FILES = [@WEB_KEPT_FILES@];
var PAGE = 'index.html';

function hex(buffer) {
  return Array.from(new Uint8Array(buffer), function (byte) { return byte.toString(16).padStart(2, '0'); }).join('');
}

// The build's name as web/service-worker.cmake computes it: the SHA-256 of its files' digests, one a line.
function buildName(bodies) {
  return Promise.all(bodies.map(function (body) { return crypto.subtle.digest('SHA-256', body); })).then(function (digests) {
    var lines = digests.map(function (digest, i) { return hex(digest) + '  ' + FILES[i] + '\n'; }).join('');
    return crypto.subtle.digest('SHA-256', new TextEncoder().encode(lines));
  }).then(function (digest) { return 'kanamiina-' + hex(digest).slice(0, 16); });
}

// Installs only when the server still has this very build, which a deployment halfway done does not.
self.addEventListener('install', function (event) {
  event.waitUntil(Promise.all(FILES.map(function (file) {
    return fetch(file, { cache: 'no-cache' }).then(function (response) {
      if (!response.ok) {
        throw new Error(file + ': ' + response.status);
      }
      return response;
    });
  })).then(function (responses) {
    return Promise.all(responses.map(function (response) { return response.clone().arrayBuffer(); })).then(buildName).then(function (name) {
      if (name !== BUILD) {
        throw new Error('the server has another build than ' + BUILD + ': ' + name);
      }
      return caches.open(BUILD);
    }).then(function (cache) {
      return Promise.all(responses.map(function (response, i) { return cache.put(FILES[i], response); }));
    });
  }));
});

self.addEventListener('activate', function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) { return name !== BUILD; }).map(function (name) { return caches.delete(name); }));
  }));
});

// A page that the network brought loads the rest from the network too, as the server has it now; a page that
// had to come from this build's cache loads the rest from there. The pages opened from the cache:
var pagesFromCache = new Set();

function openPage(event) {
  return fetch(event.request.url, { cache: 'no-cache' }).catch(function () {
    pagesFromCache.add(event.resultingClientId);
    return caches.open(BUILD).then(function (cache) { return cache.match(PAGE); });
  });
}

function loadFile(event) {
  if (!pagesFromCache.has(event.clientId)) {
    return fetch(event.request, { cache: 'no-cache' });
  }
  return caches.open(BUILD).then(function (cache) { return cache.match(event.request, { ignoreVary: true }); })
    .then(function (kept) { return kept || Response.error(); });
}

self.addEventListener('fetch', function (event) {
  var name = event.request.url.slice(self.registration.scope.length).replace(/[?#].*/, '');
  if (event.request.mode === 'navigate' && (name === '' || name === PAGE)) {
    event.respondWith(openPage(event));
  } else if (event.request.method === 'GET' && FILES.indexOf(name) >= 0) {
    event.respondWith(loadFile(event));
  }
});
