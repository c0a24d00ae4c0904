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

# A column of full-precision numbers; "NA" and empty cells are NA. Read by jsonlite, whose
# reader rounds every decimal text to its nearest double: R's own (as.numeric, read.csv)
# misses it by one bit for some texts of 16 and 17 digits, which the program's shortest
# texts are.
raw_numbers <- function(cells) {
  testthat::skip_if_not_installed("jsonlite")
  cells[cells %in% c("", "NA")] <- "null"
  as.double(unlist(lapply(jsonlite::parse_json(paste0("[", paste(cells, collapse = ","), "]")),
                          function(value) if (is.null(value)) NA_real_ else value)))
}

# A column of flags written "true", "false" or "NA".
raw_flags <- function(cells) {
  ifelse(cells == "NA", NA, cells == "true")
}

`%||%` <- function(value, otherwise) if (is.null(value)) otherwise else value
