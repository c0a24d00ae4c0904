# The outputs of trophex-cli that the tests compare with: a small set kept in git and, when
# tools/r-test.sh wrote it before building, a large one.
fixture_sets <- function() {
  sets <- test_path("fixtures", c("small", "large"))
  sets[file.exists(file.path(sets, "lakes.csv"))]
}

# Every cell as the text the file holds.
read_cells <- function(path) {
  read.csv(path, colClasses = "character", na.strings = character(), check.names = FALSE,
           encoding = "UTF-8")
}

# The lakes as an analyst reads them: numbers as numbers, empty unit columns as NA.
read_lakes <- function(set, ...) {
  read.csv(file.path(set, "lakes.csv"), check.names = FALSE, encoding = "UTF-8", ...)
}

# A column of full-precision numbers; "NA" and empty cells are NA.
raw_numbers <- function(cells) {
  suppressWarnings(as.numeric(ifelse(cells %in% c("", "NA"), NA, cells)))
}

`%||%` <- function(value, otherwise) if (is.null(value)) otherwise else value
