#' Lake-years of monitoring samples
#'
#' Turns a table of monitoring samples into growing-season means, one row per lake and
#' year, through the program's samples step: the same rules, columns and values as
#' `trophex-cli samples`.
#'
#' @param samples The samples table: a data frame in any of the three shapes the program
#'   reads (Water Quality Portal results, a long table, a wide table), its columns named as
#'   in the CSV files, or the path of such a CSV file. `NA` is an empty cell.
#' @param lakes Optional lakes table (sites of each lake, ecoregion and morphometry): a
#'   data frame or the path of a CSV file. Without it each site is a lake of its own.
#' @param censored What a non-detect counts as: `"half"` its detection limit, `"zero"`,
#'   the `"limit"`, or `"drop"` it.
#' @param max_depth Deepest sample, in metres, taken as epilimnetic.
#' @param require_depth Whether a result without any depth is refused.
#' @param season The growing season, `"MM-DD:MM-DD"`; it may wrap past December 31.
#' @param probe_chlorophyll Whether probe readings count as chlorophyll a.
#' @param min_days Fewer sampling days than this are noted in the lake-year's `note`.
#' @return A data frame with the columns of the program's lake-year table, numbers as
#'   numbers and texts as the program writes them (an empty text is `""`). The summary of
#'   what was read and skipped is its attribute `"summary"`; the run is kept for
#'   [lake_trends()].
#' @seealso [lake_trends()]
#' @export
#' @examples
#' samples <- system.file("extdata", "samples_wqp.csv", package = "trophex")
#' lakes <- system.file("extdata", "samples_lakes.csv", package = "trophex")
#' years <- lake_years(samples, lakes)
#' years[, c("name", "total_phosphorus", "chlorophyll_a", "secchi_depth", "note")]
#' cat(attr(years, "summary"))
lake_years <- function(samples, lakes = NULL, censored = "half", max_depth = 2,
                       require_depth = FALSE, season = "06-01:09-30",
                       probe_chlorophyll = FALSE, min_days = 4) {
  run <- list(
    samples = csv_bytes(samples, "samples"),
    lakes = if (is.null(lakes)) raw(0) else csv_bytes(lakes, "lakes"),
    with_lakes = !is.null(lakes),
    censored = scalar_text(censored, "censored"),
    max_depth = scalar_number(max_depth, "max_depth"),
    require_depth = as_flag(require_depth, "require_depth"),
    season = scalar_text(season, "season"),
    probe_chlorophyll = as_flag(probe_chlorophyll, "probe_chlorophyll"),
    min_days = scalar_count(min_days, "min_days")
  )
  tables <- run_samples(run, alpha = 0.05, min_years = 5L)
  years <- table_of_csv(tables[[1]])
  attr(years, "summary") <- tables[[3]]
  attr(years, "samples_run") <- run
  years
}

#' Trends of lakes' trophic state
#'
#' The Mann-Kendall test and Sen's slope of each lake's trophic state indices over its
#' lake-years, as `trophex-cli samples --trends` writes them.
#'
#' @param years Lake-years from [lake_years()] (the trends are taken from the samples it
#'   read, with its rules).
#' @param alpha Significance level of the test.
#' @param min_years Fewer years than this give "too few years".
#' @return A data frame of class `trophex_trends` with the columns of the trends table,
#'   one row per lake and index; [plot()] draws one lake's trend.
#' @seealso [plot.trophex_trends()]
#' @export
#' @examples
#' samples <- system.file("extdata", "samples_long.csv", package = "trophex")
#' trends <- lake_trends(lake_years(samples), min_years = 2)
#' trends
lake_trends <- function(years, alpha = 0.05, min_years = 5) {
  run <- attr(years, "samples_run")
  if (!is.data.frame(years) || is.null(run)) {
    stop("`years` must be the data frame lake_years() returned.", call. = FALSE)
  }
  tables <- run_samples(run, alpha = scalar_number(alpha, "alpha"),
                        min_years = scalar_count(min_years, "min_years"))
  trends <- table_of_csv(tables[[2]])
  attr(trends, "years") <- years
  class(trends) <- c("trophex_trends", class(trends))
  trends
}

#' Plot a lake's trend
#'
#' Each trophic state index of one lake by year, the Sen's slope line of each (dashed), and
#' the test's answer and the slope in the legend.
#'
#' @param x Trends from [lake_trends()].
#' @param lake The lake (`waterbody`) to draw; the first by default.
#' @param ... Further arguments to [graphics::plot()].
#' @return `x`, invisibly.
#' @export
#' @examples
#' samples <- system.file("extdata", "samples_long.csv", package = "trophex")
#' trends <- lake_trends(lake_years(samples), min_years = 2)
#' plot(trends, lake = "CL-1")
plot.trophex_trends <- function(x, lake = x$waterbody[1], ...) {
  rows <- x[x$waterbody == lake, , drop = FALSE]
  if (nrow(rows) == 0L) {
    stop("No trend of the lake \"", lake, "\".", call. = FALSE)
  }
  years <- attr(x, "years")
  years <- years[years$waterbody == lake, , drop = FALSE]
  indices <- carlson_tsi(years$total_phosphorus, years$chlorophyll_a, years$secchi_depth)
  colours <- c(tsi_tp = "#1b6ca8", tsi_chla = "#2e8b57", tsi_secchi = "#b8860b",
               tsi_average = "#333333")
  values <- range(unlist(indices[rows$index]), na.rm = TRUE)
  # Room above the points for the legend, one line per index.
  room <- diff(values) * 0.12 * (nrow(rows) + 1) + 1
  graphics::plot(range(years$year), c(values[1], values[2] + room), type = "n", xaxt = "n",
                 xlab = "Year", ylab = "Trophic state index", main = lake, ...)
  ticks <- unique(round(pretty(years$year)))
  graphics::axis(1, at = ticks[ticks >= min(years$year) & ticks <= max(years$year)])
  for (i in seq_len(nrow(rows))) {
    index <- rows$index[i]
    graphics::points(years$year, indices[[index]], pch = 19, col = colours[[index]])
    graphics::lines(years$year, indices[[index]], col = colours[[index]])
    sen_line(years$year, indices[[index]], rows$sen_slope_per_decade[i], colours[[index]])
  }
  slopes <- ifelse(is.na(rows$sen_slope_per_decade), "",
                   sprintf(", Sen's slope %+.2f per decade", rows$sen_slope_per_decade))
  graphics::legend("topleft", bty = "n", col = colours[rows$index], pch = 19, lty = 2, cex = 0.8,
                   legend = sprintf("%s: %s%s (Mann-Kendall p = %.3g)", rows$index, rows$trend,
                                    slopes, rows$mk_p))
  invisible(x)
}

# Sen's line of a series: its slope through the median of value - slope * year.
sen_line <- function(year, value, slope_per_decade, colour) {
  if (is.na(slope_per_decade)) return(invisible())
  slope <- slope_per_decade / 10
  intercept <- stats::median(value - slope * year, na.rm = TRUE)
  graphics::abline(a = intercept, b = slope, lty = 2, col = colour)
}

run_samples <- function(run, alpha, min_years) {
  samples_run_(run$samples, run$lakes, run$with_lakes, run$censored, run$max_depth,
               run$require_depth, run$season, run$probe_chlorophyll, run$min_days,
               alpha, min_years)
}

# The bytes of a table: a CSV file's as they are, a data frame's as write.csv writes it
# in UTF-8, NA as an empty cell.
csv_bytes <- function(table, arg) {
  if (is.character(table) && length(table) == 1L && !is.na(table)) {
    if (!file.exists(table)) stop("`", arg, "`: no file ", table, call. = FALSE)
    return(readBin(table, "raw", file.info(table)$size))
  }
  if (!is.data.frame(table)) {
    stop("`", arg, "` must be a data frame or the path of a CSV file.", call. = FALSE)
  }
  table <- as.data.frame(table)
  table[] <- lapply(table, function(column) {
    if (is.factor(column) || is.character(column)) enc2utf8(as.character(column)) else column
  })
  lines <- utils::capture.output(utils::write.csv(table, stdout(), row.names = FALSE, na = ""))
  charToRaw(enc2utf8(paste0(paste(lines, collapse = "\n"), "\n")))
}

# A table the program wrote, its texts kept as written and its other columns as numbers.
table_of_csv <- function(text) {
  table <- utils::read.csv(text = text, colClasses = "character", check.names = FALSE,
                           na.strings = character(0), encoding = "UTF-8")
  texts <- c("name", "waterbody", "note", "first_date", "last_date", "ecoregion", "index",
             "trend")
  for (column in names(table)) {
    if (column %in% texts || endsWith(column, "_unit")) next
    cells <- table[[column]]
    numbers <- decimal_numbers_(cells)
    if (all(is.na(numbers) == (cells == ""))) table[[column]] <- numbers
  }
  table
}

scalar_text <- function(x, arg) {
  if (!is.character(x) || length(x) != 1L || is.na(x)) stop("`", arg, "` must be one text.", call. = FALSE)
  x
}

scalar_number <- function(x, arg) {
  if (!is.numeric(x) || length(x) != 1L || is.na(x)) stop("`", arg, "` must be one number.", call. = FALSE)
  as.double(x)
}

scalar_count <- function(x, arg) {
  x <- scalar_number(x, arg)
  if (x != round(x) || abs(x) > .Machine$integer.max) stop("`", arg, "` must be a whole number.", call. = FALSE)
  as.integer(x)
}
