# Reads the runs of bench/measure-game, one a line:
#   SDL-version screen program first-frame-ms cpu-% peak-MB passes-a-second p99-ms
# and prints the median of each figure, the ratios and whether the goals are met.

function median(list,    values, count, i, j, swap) {
  count = split(list, values, " ")
  for (i = 2; i <= count; i++) {
    for (j = i; j > 1 && values[j - 1] + 0 > values[j] + 0; j--) {
      swap = values[j]; values[j] = values[j - 1]; values[j - 1] = swap
    }
  }
  return count % 2 ? values[(count + 1) / 2] : (values[count / 2] + values[count / 2 + 1]) / 2
}

function name(version) {
  split(version, part, ".")
  return (part[3] >= 50 ? "sdl12-compat " : "classic SDL ") version
}

function goal(label, value, limit, atLeast) {
  met = atLeast ? value >= limit : value <= limit
  printf "  %-58s %8.2f  goal %s %-6s %s\n", label, value, atLeast ? ">=" : "<=", limit, met ? "met" : "NOT MET"
}

{
  key = $1 SUBSEP $2 SUBSEP $3
  if (!(key in first)) { order[++keys] = key }
  first[key] = first[key] " " $4; cpu[key] = cpu[key] " " $5; memory[key] = memory[key] " " $6
  passes[key] = passes[key] " " $7; p99[key] = p99[key] " " $8
  split($1, digits, ".")
  if (digits[3] >= 50) { compat = $1 } else { classic = $1 }
}

END {
  printf "%-24s %-10s %-7s %12s %8s %9s %9s %8s\n", "library", "screen", "program", "first frame", "CPU", "peak mem", "passes/s", "p99"
  for (k = 1; k <= keys; k++) {
    split(order[k], f, SUBSEP)
    key = order[k]
    m_first[key] = median(first[key]); m_cpu[key] = median(cpu[key]); m_memory[key] = median(memory[key])
    m_passes[key] = median(passes[key])
    printf "%-24s %-10s %-7s %9.1f ms %6.2f %% %6.1f MB %9.2f %5.1f ms\n", name(f[1]), substr(f[2], 1, length(f[2]) - 3),
           f[3] ~ /floor/ ? "floor" : f[3] ~ /paused/ ? "paused" : "game", m_first[key], m_cpu[key], m_memory[key], m_passes[key], median(p99[key])
  }
  small = "640x480x24"; large = "1920x1080x24"; game = "kanamiina"; floor = "bench/kanamiina_floor"
  print ""
  print "Ratios and goals (CPU and memory on the 640x480 screen):"
  for (n = 1; n <= 2; n++) {
    v = n == 1 ? classic : compat
    if (v == "") { continue }
    g = v SUBSEP small SUBSEP game; fl = v SUBSEP small SUBSEP floor
    goal(name(v) ": game / floor, CPU", m_cpu[g] / m_cpu[fl], 1.5)
    goal(name(v) ": paused game / game, CPU", m_cpu[v SUBSEP small SUBSEP game "+paused"] / m_cpu[g], 0.2)
    goal(name(v) ": game / floor, peak memory", m_memory[g] / m_memory[fl], 1.5)
    goal(name(v) ": game's exec to first frame, ms", m_first[g], n == 1 ? 100 : 250)
    goal(name(v) ": game's passes a second at 1920x1080", m_passes[v SUBSEP large SUBSEP game], 59.5, 1)
  }
  if (classic != "" && compat != "") {
    goal("game on sdl12-compat / on classic SDL, CPU", m_cpu[compat SUBSEP small SUBSEP game] / m_cpu[classic SUBSEP small SUBSEP game], 2)
    goal("game on sdl12-compat / on classic SDL, peak memory",
         m_memory[compat SUBSEP small SUBSEP game] / m_memory[classic SUBSEP small SUBSEP game], 1.5)
  }
}
