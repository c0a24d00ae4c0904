#' Load response of lakes
#'
#' How much must the phosphorus reaching each lake fall for it to meet a goal? The
#' watershed load is cut from 0 to 100 %, the atmospheric load stays, and the engine finds
#' the smallest cut that meets the target, as the program's Load Response page and
#' `trophex-cli response` do.
#'
#' @param lakes A data frame of lakes with the columns of [assess_lakes()].
#' @param target The goal, as `trophex-cli response --target` takes it: `"ecoregion"` (the
#'   top of the ecoregion's typical total phosphorus range), `"tp=V"`, `"chla=V"` (at most V
#'   ug/L), `"secchi=V"` (at least V m), `"tsi=V"` (average index at most V) or `"freq=B:P"`
#'   (chlorophyll a above B ug/L at most P % of the time).
#' @param anchored `TRUE` for values anchored to the observed ones (the model's ratio times
#'   the observation), `FALSE` for the model's predictions (`--model`).
#' @param curve `TRUE` to add the curve of 101 cuts and what its chart draws.
#' @param threads Threads that calculate; `NULL` takes one per processor.
#' @return Without the curve, a data frame with one row per lake: `name`, `status` (`"ok"`
#'   or why the lake has no load response), the mode, the target, the loads, the
#'   `target_status` (`"met"`, `"needed"` or `"unreachable"`) and, for an unreachable one,
#'   the `unreachable_reason`, the `reduction_pct` of the watershed load, the allowable
#'   loads, whether the answer's Secchi depth reaches the bottom (`secchi_to_bottom`) and
#'   an index leaves Carlson's scale (`tsi_outside_scale`), the implied stream phosphorus,
#'   and the fit of the observed phosphorus (`fit_tp_t_test`, `poor_fit`, and the
#'   `other_mode_status` of a poorly fitted lake). Flags are logical, NA where the lake has
#'   no answer.
#'
#'   With `curve = TRUE`, a `trophex_load_response`: a list of `answers` (that data frame),
#'   `curve` (long form: `lake`, the row of the lake in `lakes`; `reduction_pct`,
#'   `load_kg_yr`, `variable`, `value` and the 90 % band `low` and `high` where the
#'   variable has one), `chart` (the variable the target is set on against the cut, with
#'   its band) and `charts` (per lake: the chart's title, scale, target and the cut that
#'   meets it). [plot()] draws a lake's chart.
#' @export
#' @examples
#' lake <- data.frame(
#'   name = "Clear Lake", ecoregion = "NLF", watershed_area = 120, lake_area = 8.5,
#'   mean_depth = 6.1, total_phosphorus = 35, chlorophyll_a = 12, secchi_depth = 1.9
#' )
#' load_response(lake)[, c("name", "target", "target_status", "reduction_pct")]
#' response <- load_response(lake, target = "chla=8", curve = TRUE)
#' head(response$curve)
#' plot(response)
load_response <- function(lakes, target = "ecoregion", anchored = TRUE, curve = FALSE, threads = NULL) {
  lakes <- lake_table(lakes)
  if (!is.character(target) || length(target) != 1L || is.na(target)) {
    stop("`target` must be one text such as \"ecoregion\" or \"tp=20\".", call. = FALSE)
  }
  curve <- as_flag(curve, "curve")
  result <- load_response_(lakes, lake_names(lakes), enc2utf8(target), as_flag(anchored, "anchored"),
                           curve, thread_count(threads))
  result <- lapply(result, like_input, lakes)
  if (!curve) {
    return(result$answers)
  }
  for (part in c("curve", "chart", "charts")) {
    result[[part]]$lake <- as.integer(result[[part]]$lake)
  }
  structure(result, class = "trophex_load_response")
}

#' @export
print.trophex_load_response <- function(x, ...) {
  cat("Load response of", nrow(x$answers), "lake(s); curve of", nrow(x$curve), "rows in long form.\n")
  print(x$answers, ...)
  invisible(x)
}

#' Plot a lake's load response
#'
#' Draws the variable the target is set on against the cut of the watershed load: its
#' 90 % band in grey, the value as a line, the target as a red line and the cut that meets
#' it in green, as the program's Load Response chart does.
#'
#' @param x A load response from [load_response()] with `curve = TRUE`.
#' @param lake Which lake: its row in the table given to [load_response()], or its name.
#' @param legend Where the legend goes, as [graphics::legend()] takes it (`"topright"`,
#'   ...), `"auto"` for the top corner the curve leaves free, or `NULL` for none.
#' @param ... Further graphical parameters for [graphics::plot()].
#' @return `x`, invisibly.
#' @export
#' @examples
#' lakes <- data.frame(
#'   name = c("Clear Lake", "Mud Lake"), ecoregion = c("NLF", "CHF"),
#'   watershed_area = c(120, 35), lake_area = c(8.5, 2.1), mean_depth = c(6.1, 2.2),
#'   total_phosphorus = c(35, 95), chlorophyll_a = c(12, 48), secchi_depth = c(1.9, 0.7)
#' )
#' response <- load_response(lakes, curve = TRUE)
#' plot(response)
#' plot(response, lake = "Mud Lake")
plot.trophex_load_response <- function(x, lake = 1L, legend = "auto", ...) {
  lake <- chart_lake(x, lake)
  chart <- x$charts[x$charts$lake == lake, ]
  if (nrow(chart) != 1L) {
    stop("Lake ", lake, " (", x$answers$name[[lake]], ") has no load response to plot: ",
         x$answers$status[[lake]], call. = FALSE)
  }
  points <- x$chart[x$chart$lake == lake, ]
  band <- !is.na(points$low)
  values <- c(points$value, points$low, points$high, chart$target)
  limits <- switch(chart$scale,
    percent = c(0, 100),
    from_zero = c(0, max(values, na.rm = TRUE)),
    range(values, na.rm = TRUE)
  )
  graphics::plot(points$reduction_pct, points$value, type = "n", ylim = limits,
                 xlab = "Watershed load reduction (%)", ylab = chart$title,
                 main = x$answers$name[[lake]], ...)
  if (any(band)) {
    graphics::polygon(c(points$reduction_pct[band], rev(points$reduction_pct[band])),
                      c(points$low[band], rev(points$high[band])), col = "grey85", border = NA)
  }
  graphics::lines(points$reduction_pct, points$value, lwd = 2)
  graphics::abline(h = chart$target, col = "red", lwd = 2)
  answered <- !is.na(chart$answer_pct)
  if (answered) {
    graphics::abline(v = chart$answer_pct, col = "darkgreen", lwd = 2, lty = 2)
  }
  if (!is.null(legend)) {
    if (identical(legend, "auto")) {
      ends <- points$value[!is.na(points$value)]
      legend <- if (length(ends) > 0L && ends[length(ends)] > ends[1L]) "topleft" else "topright"
    }
    curve_name <- if (identical(x$answers$mode[[lake]], "model")) "Model prediction" else "Anchored to the observed"
    keys <- data.frame(
      text = c("90 % band", curve_name, "Target",
               paste0("Cut that meets it (", format(round(chart$answer_pct, 1), nsmall = 1), " %)")),
      col = c("grey85", "black", "red", "darkgreen"), lty = c(1, 1, 1, 2), lwd = c(10, 2, 2, 2)
    )[c(any(band), TRUE, TRUE, answered), ]
    graphics::legend(legend, legend = keys$text, col = keys$col, lty = keys$lty, lwd = keys$lwd,
                     bg = "white", cex = 0.85)
  }
  invisible(x)
}

# The row of a lake given by its row or its name.
chart_lake <- function(x, lake) {
  rows <- nrow(x$answers)
  if (is.character(lake) && length(lake) == 1L && !is.na(lake)) {
    found <- match(lake, x$answers$name)
    if (is.na(found)) stop("No lake is named \"", lake, "\".", call. = FALSE)
    return(found)
  }
  if (!is.numeric(lake) || length(lake) != 1L || is.na(lake) || lake < 1 || lake > rows || lake %% 1 != 0) {
    stop("`lake` must be a lake's name or its row, from 1 to ", rows, ".", call. = FALSE)
  }
  as.integer(lake)
}
