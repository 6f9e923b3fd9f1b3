# Writes the package's changelog, gzipped as Debian keeps it, when the package
# is made: dated SOURCE_DATE_EPOCH when that is set (scripts/package-deb sets
# it from the commit, so the same sources give the same package), else now.
#
#   cmake -DTEMPLATE=changelog.in -DOUTPUT=changelog -DVERSION=x -DMAINTAINER=m -P changelog.cmake
string(TIMESTAMP DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(PROJECT_VERSION ${VERSION})
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
execute_process(COMMAND gzip -9nf ${OUTPUT} COMMAND_ERROR_IS_FATAL ANY)
