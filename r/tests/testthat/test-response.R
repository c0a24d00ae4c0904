answer_columns <- c("target_value", "target", "watershed_load_kg_yr", "atmospheric_load_kg_yr", "target_status",
                    "unreachable_reason", "reduction_pct", "allowable_load_kg_yr",
                    "allowable_watershed_load_kg_yr", "secchi_to_bottom", "tsi_outside_scale",
                    "implied_stream_p_ug_L", "poor_fit", "other_mode_status")

test_that("answers are those of trophex-cli batch --target ecoregion", {
  for (set in fixture_sets()) {
    raw <- read_cells(file.path(set, "target-raw.csv"))
    got <- load_response(read_lakes(set))
    expect_identical(got$status, raw$status)
    for (column in answer_columns) {
      expected <- switch(typeof(got[[column]]),
        double = raw_numbers(raw[[column]]),
        logical = raw_flags(raw[[column]]),
        ifelse(raw[[column]] == "NA", NA_character_, raw[[column]])
      )
      ok <- raw$status == "ok"
      expect_identical(got[[column]][ok], expected[ok], label = column)
    }
  }
})

test_that("answers and curves are those of trophex-cli response --json", {
  skip_if_not_installed("jsonlite")
  set <- fixture_sets()[[1]]
  for (line in readLines(file.path(set, "response.jsonl"))) {
    expected <- jsonlite::fromJSON(line)
    request <- if (expected$target$kind == "ecoregion") "ecoregion" else
      if (expected$target$kind == "freq") paste0("freq=", expected$target$bound, ":", expected$target$value) else
        paste0(expected$target$kind, "=", expected$target$value)
    got <- load_response(read_tpx(file.path(set, expected$file)), target = request,
                         anchored = expected$mode == "anchored", curve = TRUE)
    answer <- got$answers
    label <- paste(expected$file, request)
    expect_identical(answer$mode, expected$mode, label = label)
    expect_identical(answer$target, expected$target$text, label = label)
    expect_identical(answer$loads_total_kg_yr, as.double(expected$loads$total_kg_yr), label = label)
    expect_identical(answer$target_status, expected$result$status, label = label)
    expect_identical(answer$reduction_pct, as.double(expected$result$reduction_pct %||% NA), label = label)
    expect_identical(answer$implied_stream_p_ug_L, as.double(expected$implied_stream_p_ug_L %||% NA), label = label)
    for (variable in c("tp", "chla_over_20_pct", "tsi_average")) {
      values <- got$curve[got$curve$variable == variable, ]
      expect_identical(values$value, as.double(expected$curve[[variable]]), label = paste(label, variable))
      expect_identical(values$reduction_pct, as.double(expected$curve$reduction_pct), label = label)
    }
    tp <- got$curve[got$curve$variable == "tp", ]
    expect_identical(tp$low, as.double(expected$curve$tp_low), label = label)
    expect_identical(tp$high, as.double(expected$curve$tp_high), label = label)
  }
})

test_that("a target that cannot be read and a lake without a response are told", {
  lakes <- read_lakes(fixture_sets()[[1]])
  expect_error(load_response(lakes[1, ], target = "tp=-1"), "tp target")
  failed <- which(assess_lakes(lakes)$status != "ok")[1]
  response <- load_response(lakes[failed, ], curve = TRUE)
  expect_identical(nrow(response$curve), 0L)
  expect_error(plot(response), response$answers$status, fixed = TRUE)
  expect_error(plot(response, lake = 2), "from 1 to 1")
  expect_error(plot(response, lake = "No Such Lake"), "No Such Lake")
})
