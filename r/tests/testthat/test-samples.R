# The lake-years and trends of the example samples tables, against trophex-cli samples.
sample_sets <- function() {
  sets <- file.path(fixture_sets(), "samples")
  sets[file.exists(file.path(sets, "wqp.csv"))]
}

example <- function(name) system.file("extdata", paste0("samples_", name, ".csv"), package = "trophex")

# Each column as the program wrote it: numbers read to their nearest double, texts as they are.
expect_table <- function(got, path) {
  expected <- read_cells(path)
  expect_identical(names(got), names(expected))
  for (column in names(expected)) {
    want <- if (is.double(got[[column]])) raw_numbers(expected[[column]]) else expected[[column]]
    expect_identical(got[[column]], want, label = column)
  }
}

test_that("lake-years and trends of every shape are those of trophex-cli samples", {
  skip_if(length(sample_sets()) == 0, "no trophex-cli outputs of the samples")
  set <- sample_sets()[[1]]
  lakes <- example("lakes")
  for (shape in c("wqp", "long", "wide")) {
    from_frame <- lake_years(read.csv(example(shape), check.names = FALSE), read.csv(lakes))
    from_file <- lake_years(example(shape), lakes)
    expect_table(from_frame, file.path(set, paste0(shape, ".csv")))
    expect_identical(`attr<-`(from_file, "samples_run", NULL), `attr<-`(from_frame, "samples_run", NULL))
    expect_match(attr(from_file, "summary"), "lake-years")
    trends <- lake_trends(from_file, min_years = 2)
    expect_table(as.data.frame(unclass(trends))[names(trends)], file.path(set, paste0(shape, "-trends.csv")))
  }
  alone <- lake_years(example("long"), censored = "zero", season = "06-15:09-15", min_days = 3)
  expect_table(alone, file.path(set, "long-alone.csv"))
})

test_that("a malformed table or rule gets a clear error", {
  expect_error(lake_years(data.frame(x = 1, y = 2)), "none of the sample table shapes")
  expect_error(lake_years(data.frame(MonitoringLocationIdentifier = "A", CharacteristicName = "Phosphorus")),
               "no ActivityStartDate column")
  expect_error(lake_years(example("long"), season = "6-1"), "`season`")
  expect_error(lake_years(example("long"), censored = "third"), "`censored`")
  expect_error(lake_years(list(1)), "`samples` must be a data frame")
  expect_error(lake_trends(data.frame(year = 2020)), "lake_years\\(\\) returned")
})

test_that("a lake's trend plots and an unknown lake is refused", {
  trends <- lake_trends(lake_years(example("long")), min_years = 2)
  path <- tempfile(fileext = ".pdf")
  grDevices::pdf(path)
  on.exit(grDevices::dev.off())
  expect_identical(plot(trends, lake = "CL-1"), trends)
  expect_error(plot(trends, lake = "Nowhere"), "Nowhere")
})
