#' trophex: lake eutrophication assessment with the TROPHEX engine
#'
#' Every number and text comes from the engine of the TROPHEX program, compiled into the
#' package, so that results are the program's to the last digit.
#'
#' * [assess_lakes()]: a table of lakes, as `trophex-cli batch` assesses it.
#' * [load_response()]: how much the phosphorus load must fall to meet a goal.
#' * [read_tpx()], [write_tpx()]: the program's data files.
#' * [carlson_tsi()], [trophic_class()]: Carlson's indices and the trophic class.
#'
#' @keywords internal
#' @useDynLib trophex, .registration = TRUE
"_PACKAGE"
