#' Assess a table of lakes
#'
#' Assesses every lake of a data frame exactly as `trophex-cli batch` assesses the rows of
#' a CSV table: the same columns, units, defaults, results and status texts.
#'
#' The columns are those of the batch table, under the same names (and aliases, in any
#' letter case): `name`, `ecoregion`, `watershed_area`, `lake_area`, `mean_depth`,
#' `total_phosphorus`, `chlorophyll_a`, `secchi_depth`, `alkalinity`, their `_unit`
#' columns, the calibration variables `stream_p`, `precipitation`, `evaporation`,
#' `runoff`, `atmospheric_p_load` and the error terms `v1` ... `v8`, `s1`, `s2`. Other
#' columns are ignored. A column may hold numbers, texts or factors; `NA` is an empty
#' cell, so an absent or `NA` unit is the model's unit and an absent or `NA` calibration
#' value is the default of the lake's ecoregion. Numbers are passed on as the shortest
#' text that reads back as the same number.
#'
#' @param lakes A data frame (or tibble) with one lake per row.
#' @param text `FALSE` for results as numbers in the model's units; `TRUE` for the texts
#'   `trophex-cli batch` writes in its cells (empty for a lake that failed).
#' @param threads Threads that calculate; `NULL` takes one per processor, as the batch does.
#' @return A data frame (a tibble for a tibble) with one row per lake: `name`, every
#'   result in the columns the batch writes, and `status`: `"ok"` or why the lake has no
#'   results. Numbers are `NA` where the batch writes `NA` or nothing. The rows are the
#'   input's, in its order, so that they can be bound beside it; the groups of a grouped
#'   tibble are not kept (the result holds no grouping columns).
#' @export
#' @examples
#' lakes <- data.frame(
#'   name = c("Clear Lake", "Mud Lake"), ecoregion = c("NLF", "CHF"),
#'   watershed_area = c(120, 35), lake_area = c(8.5, 2.1), mean_depth = c(6.1, 2.2),
#'   total_phosphorus = c(22, 95), chlorophyll_a = c(6.5, 48), secchi_depth = c(3.1, 0.7)
#' )
#' results <- assess_lakes(lakes)
#' results[, c("name", "tsi_average", "tp_predicted_ug_L", "status")]
#' assess_lakes(lakes, text = TRUE)$tsi_average
assess_lakes <- function(lakes, text = FALSE, threads = NULL) {
  lakes <- lake_table(lakes)
  result <- assess_lakes_(lakes, lake_names(lakes), as_flag(text, "text"), thread_count(threads))
  like_input(result, lakes)
}

lake_table <- function(lakes, arg = "lakes") {
  if (!is.data.frame(lakes)) {
    stop("`", arg, "` must be a data frame of lakes, one per row.", call. = FALSE)
  }
  lakes
}

lake_names <- function(lakes) {
  names <- names(lakes)
  if (is.null(names)) rep("", length(lakes)) else enc2utf8(names)
}

as_flag <- function(value, arg) {
  if (!is.logical(value) || length(value) != 1L || is.na(value)) {
    stop("`", arg, "` must be TRUE or FALSE.", call. = FALSE)
  }
  value
}

thread_count <- function(threads) {
  if (is.null(threads)) {
    return(0L)
  }
  if (!is.numeric(threads) || length(threads) != 1L || is.na(threads) || threads < 1 || threads > 64) {
    stop("`threads` must be a number from 1 to 64, or NULL.", call. = FALSE)
  }
  as.integer(threads)
}

# A result of the same kind of table as the input: a tibble for a tibble.
like_input <- function(result, lakes) {
  if (inherits(lakes, "tbl_df") && requireNamespace("tibble", quietly = TRUE)) {
    return(tibble::as_tibble(result))
  }
  result
}
