# assess_lakes() on a million synthetic lakes, numbers out, beside trophex-cli batch on the
# same table:
#   trophex-cli batch --generate 1000000 -o lakes.csv
#   Rscript r/bench/assess_lakes_bench.R lakes.csv
#   /usr/bin/time -v trophex-cli batch --raw lakes.csv -o results.csv
library(trophex)
path <- commandArgs(trailingOnly = TRUE)[1]
lakes <- read.csv(path, check.names = FALSE, encoding = "UTF-8")
cat(sprintf("%d lakes read; input data frame %.0f MB\n", nrow(lakes), object.size(lakes) / 2^20))
for (run in 1:3) {
  results <- NULL  # the last run's results are not counted in this run's peak
  gc(reset = TRUE)
  time <- system.time(results <- assess_lakes(lakes))
  cat(sprintf("run %d: %.2f s wall, %.2f s processor time, %.0f lakes/s; output %.0f MB; R's peak %.0f MB\n",
              run, time[["elapsed"]], time[["user.self"]] + time[["sys.self"]] + time[["user.child"]],
              nrow(lakes) / time[["elapsed"]], object.size(results) / 2^20, sum(gc()[, 6])))
}
