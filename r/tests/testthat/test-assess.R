test_that("texts are the cells of trophex-cli batch, however the table was read", {
  for (set in fixture_sets()) {
    expected <- read_cells(file.path(set, "batch.csv"))
    tables <- list(
      numbers = read_lakes(set),
      texts = read_cells(file.path(set, "lakes.csv")),
      factors = read_lakes(set, stringsAsFactors = TRUE)
    )
    if (requireNamespace("tibble", quietly = TRUE)) tables$tibble <- tibble::as_tibble(read_lakes(set))
    for (kind in names(tables)) {
      got <- as.data.frame(assess_lakes(tables[[kind]], text = TRUE))
      expect_identical(got, expected, label = paste(basename(set), kind))
    }
  }
})

test_that("numbers are the full-precision numbers of trophex-cli batch --raw", {
  for (set in fixture_sets()) {
    raw <- read_cells(file.path(set, "batch-raw.csv"))
    got <- assess_lakes(read_lakes(set), threads = 2)
    expect_identical(names(got), names(raw))
    expect_identical(got$status, raw$status)
    for (column in setdiff(names(raw), c("name", "status"))) {
      expect_identical(got[[column]], raw_numbers(raw[[column]]), label = column)
    }
  }
})

test_that("one thread and many give the same table, over more lakes than a block holds", {
  lakes <- read_lakes(fixture_sets()[[length(fixture_sets())]])
  lakes <- lakes[rep_len(seq_len(nrow(lakes)), 20000), ]
  one <- assess_lakes(lakes, threads = 1)
  expect_identical(one, assess_lakes(lakes, threads = 3))
  expect_identical(one$name, as.character(lakes$name))
})

test_that("NA is an empty cell and a factor its level", {
  lakes <- read_cells(file.path(fixture_sets()[[1]], "lakes.csv"))[1:3, ]
  with_na <- lakes
  with_na$total_phosphorus[1] <- NA
  with_na$total_phosphorus_unit <- NA
  empty <- lakes
  empty$total_phosphorus[1] <- ""
  expect_identical(assess_lakes(with_na, text = TRUE), assess_lakes(empty, text = TRUE))
  expect_identical(assess_lakes(with_na)$status[1], "Invalid Input Parameter!")
  expect_identical(assess_lakes(transform(lakes, ecoregion = factor(ecoregion))), assess_lakes(lakes))
})

test_that("a malformed data frame is refused naming its column", {
  lakes <- read_lakes(fixture_sets()[[1]])[1:3, ]
  expect_error(assess_lakes(lakes[setdiff(names(lakes), "secchi_depth")]), "secchi_depth")
  flags <- transform(lakes, mean_depth = c(TRUE, FALSE, TRUE))
  expect_error(assess_lakes(flags), "mean_depth")
  listed <- lakes
  listed$chlorophyll_a <- as.list(listed$chlorophyll_a)
  expect_error(assess_lakes(listed), "chlorophyll_a")
  expect_error(assess_lakes(as.list(lakes)), "data frame")
  expect_identical(nrow(assess_lakes(lakes[0, ])), 0L)
})
