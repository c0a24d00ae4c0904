test_that("a data file read and written again keeps its bytes", {
  set <- fixture_sets()[[1]]
  for (file in c("example.tpx", "prairie.tpx")) {
    copy <- tempfile(fileext = ".tpx")
    write_tpx(read_tpx(file.path(set, file)), copy)
    expect_identical(readBin(copy, "raw", 1e5), readBin(file.path(set, file), "raw", 1e5))
  }
})

test_that("lakes written as data files assess as they did in the table", {
  lakes <- read_lakes(fixture_sets()[[1]])[1:25, ]
  files <- replicate(nrow(lakes), tempfile(fileext = ".tpx"))
  write_tpx(lakes, files)
  expect_identical(assess_lakes(read_tpx(files)), assess_lakes(lakes))
})

test_that("a lake that cannot be written leaves the file there as it was", {
  set <- fixture_sets()[[1]]
  file <- tempfile(fileext = ".tpx")
  file.copy(file.path(set, "example.tpx"), file)
  lake <- read_tpx(file)
  lake$watershed_area_unit <- "furlongs"
  expect_error(write_tpx(lake, file), "furlongs")
  expect_identical(readBin(file, "raw", 1e5), readBin(file.path(set, "example.tpx"), "raw", 1e5))
  expect_error(read_tpx(tempfile()), "tpx|No such file")
})
