#' Read model-run data files
#'
#' Reads `.tpx` data files as the program's Open command reads them.
#'
#' @param path Paths of data files.
#' @return A data frame with one row per file and the 31 input texts in the columns of
#'   [assess_lakes()], as texts exactly as the file holds them, so that
#'   `assess_lakes(read_tpx(path))` assesses the files and [write_tpx()] writes them back
#'   byte for byte.
#' @export
#' @examples
#' lake <- data.frame(
#'   name = "Clear Lake", ecoregion = "NLF", watershed_area = 120, lake_area = 8.5,
#'   mean_depth = 6.1, total_phosphorus = 22, chlorophyll_a = 6.5, secchi_depth = 3.1
#' )
#' file <- tempfile(fileext = ".tpx")
#' write_tpx(lake, file)
#' read_tpx(file)[, c("name", "ecoregion", "watershed_area", "stream_p")]
read_tpx <- function(path) {
  if (!is.character(path) || anyNA(path)) {
    stop("`path` must be file names.", call. = FALSE)
  }
  read_tpx_(enc2utf8(path.expand(path)))
}

#' Write model-run data files
#'
#' Writes each lake as a `.tpx` data file, the bytes the program's Save writes: a new file
#' is written beside the old one and put in its place only once it is complete, so a
#' failure leaves any earlier file intact. An absent or `NA` unit is written as the model's
#' unit and an absent calibration value as the default of the lake's ecoregion, as
#' [assess_lakes()] reads them.
#'
#' @param lake A data frame of lakes with the columns of [assess_lakes()].
#' @param path One file name per lake.
#' @return `path`, invisibly.
#' @export
#' @examples
#' lake <- data.frame(
#'   name = "Clear Lake", ecoregion = "NLF", watershed_area = 120, lake_area = 8.5,
#'   mean_depth = 6.1, total_phosphorus = 22, chlorophyll_a = 6.5, secchi_depth = 3.1
#' )
#' file <- tempfile(fileext = ".tpx")
#' write_tpx(lake, file)
#' assess_lakes(read_tpx(file))$tsi_average
write_tpx <- function(lake, path) {
  lake <- lake_table(lake, "lake")
  if (!is.character(path) || anyNA(path)) {
    stop("`path` must be file names.", call. = FALSE)
  }
  write_tpx_(lake, lake_names(lake), enc2utf8(path.expand(path)))
  invisible(path)
}
