# Writes the service worker into the site (cmake -P): SITE is the site's
# folder, FILES its files (comma-separated), VERSION the release, TEMPLATE
# the worker's source. The cache is named for the release and a digest of
# the files, so any change of them makes a new cache and the old one goes.
string(REPLACE "," ";" files "${FILES}")
set(listing "")
foreach(name IN LISTS files)
  file(SHA256 "${SITE}/${name}" digest)
  string(APPEND listing "${name} ${digest}\n")
endforeach()
string(SHA256 digest "${listing}")
string(SUBSTRING "${digest}" 0 16 digest)
set(SITE_CACHE "${VERSION}-${digest}")
list(TRANSFORM files PREPEND "'")
list(TRANSFORM files APPEND "'")
string(REPLACE ";" ", " SITE_FILES "${files}")
configure_file("${TEMPLATE}" "${SITE}/worker.js" @ONLY)
