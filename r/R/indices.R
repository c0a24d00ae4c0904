#' Carlson's trophic state indices
#'
#' Carlson's indices of observed total phosphorus, chlorophyll a and Secchi depth, and
#' their average, as the model computes them.
#'
#' @param tp Total phosphorus, ug/L.
#' @param chla Chlorophyll a, ug/L.
#' @param secchi Secchi depth, m.
#' @return A data frame with `tsi_average`, `tsi_tp`, `tsi_chla` and `tsi_secchi`, one row
#'   per value (the arguments are recycled). An index is `NA` for a value that is missing
#'   or not above zero; the average is `NA` when any index is.
#' @export
#' @examples
#' carlson_tsi(tp = c(10, 40, 120), chla = c(3, 15, 60), secchi = c(4, 1.5, 0.5))
carlson_tsi <- function(tp, chla, secchi) {
  values <- list(tp = tp, chla = chla, secchi = secchi)
  for (arg in names(values)) {
    if (!is.numeric(values[[arg]])) {
      stop("`", arg, "` must be numbers.", call. = FALSE)
    }
  }
  n <- if (any(lengths(values) == 0L)) 0L else max(lengths(values))
  values <- lapply(values, function(v) rep_len(as.double(v), n))
  carlson_tsi_(values$tp, values$chla, values$secchi)
}

#' Trophic class of a trophic state index
#'
#' Oligotrophic, mesotrophic, eutrophic or hypereutrophic, by the average trophic state
#' index, as the program's table of lakes classes them.
#'
#' @param tsi Average trophic state indices, such as the `tsi_average` of
#'   [assess_lakes()] or [carlson_tsi()].
#' @return An ordered factor; `NA` for an index that is `NA`.
#' @export
#' @examples
#' trophic_class(c(35, 45, 55, 75, NA))
#' trophic_class(carlson_tsi(tp = 40, chla = 15, secchi = 1.5)$tsi_average)
trophic_class <- function(tsi) {
  if (!is.numeric(tsi)) {
    stop("`tsi` must be numbers.", call. = FALSE)
  }
  factor(trophic_class_(as.double(tsi)), levels = seq_along(trophic_class_names_()),
         labels = trophic_class_names_(), ordered = TRUE)
}
