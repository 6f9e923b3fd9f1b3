# Writes a file of the package from its template, gzipped as Debian keeps it,
# when the package is made: dated (DATE, in DATE_FORMAT) SOURCE_DATE_EPOCH
# when that is set (scripts/package-deb sets it from the commit, so the same
# sources give the same package), else now. The changelog and the man page.
#
#   cmake -DTEMPLATE=t.in -DOUTPUT=f -DDATE_FORMAT=%Y-%m-%d -DVERSION=x -DMAINTAINER=m -DCOPYRIGHT=c
#         -P dated_file.cmake
string(TIMESTAMP DATE "${DATE_FORMAT}" UTC)
set(PROJECT_VERSION ${VERSION})
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
execute_process(COMMAND gzip -9nf ${OUTPUT} COMMAND_ERROR_IS_FATAL ANY)
