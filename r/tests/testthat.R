library(testthat)
library(trophex)

test_check("trophex")
