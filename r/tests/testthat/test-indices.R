test_that("Carlson's indices of the observed values are the assessment's", {
  got <- assess_lakes(read_lakes(fixture_sets()[[1]]))
  got <- got[got$status == "ok", ]
  indices <- carlson_tsi(got$tp_observed_ug_L, got$chla_observed_ug_L, got$secchi_observed_m)
  expect_identical(indices, got[names(indices)], ignore_attr = TRUE)
})

test_that("an index of a value that is missing or not above zero is NA", {
  indices <- carlson_tsi(tp = c(20, NA, 0, -5), chla = 8, secchi = 2)
  expect_identical(is.na(indices$tsi_tp), c(FALSE, TRUE, TRUE, TRUE))
  expect_identical(is.na(indices$tsi_average), c(FALSE, TRUE, TRUE, TRUE))
  expect_false(anyNA(indices$tsi_chla))
})

test_that("trophic classes change at 40, 50 and 70", {
  classes <- trophic_class(c(39.99, 40, 49.99, 50, 69.99, 70, NA))
  expect_identical(as.integer(classes), c(1L, 2L, 2L, 3L, 3L, 4L, NA))
  expect_true(is.ordered(classes))
})
