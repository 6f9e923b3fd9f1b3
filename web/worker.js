// The service worker: keeps the site's own files in a cache named for this
// release and these files, answers from it (so the page also opens offline
// and as an installed app) and removes the caches of other releases of the
// same site. The build fills in the name and the files.
'use strict';

const kFiles = [@SITE_FILES@];
// Cache names are shared by every site of the origin: each of ours starts
// with the folder it serves, so two copies in different folders keep theirs.
const kPrefix = `${self.registration.scope} morvelux-`;
const kCache = `${kPrefix}@SITE_CACHE@`;

self.addEventListener('install', event => {
  event.waitUntil(caches.open(kCache).then(cache => cache.addAll(kFiles)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', event => {
  event.waitUntil(caches.keys()
    .then(names => Promise.all(names.filter(name => name.startsWith(kPrefix) && name !== kCache)
                                    .map(name => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The site's files from the cache; a visit to the folder itself is its
// index.html; anything else from the network.
self.addEventListener('fetch', event => {
  const request = event.request;
  if (request.method !== 'GET') return;
  event.respondWith(caches.open(kCache).then(async cache => {
    const kept = await cache.match(request, { ignoreSearch: true }) ||
                 (request.mode === 'navigate' && request.url.split(/[?#]/)[0] === self.registration.scope
                   ? await cache.match('index.html') : undefined);
    return kept || fetch(request);
  }));
});
