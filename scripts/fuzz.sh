#!/usr/bin/env bash
# Fuzzes the AI answer parser with libFuzzer under AddressSanitizer and UBSan.
# Usage: scripts/fuzz.sh [seconds]   (default 60)
# Builds in build-fuzz/ with clang, seeds a corpus with a few chat-completions bodies and
# prints the number of executions and of crashes found.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
build_dir=build-fuzz
sanitizers="-fsanitize=fuzzer-no-link,address,undefined"
# clang knows no -Wshadow=local, which the shared warning set passes to GCC.
extra_flags="-Wno-unknown-warning-option"

CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DRAROZEZEV_BUILD_FUZZ=ON -DRAROZEZEV_BUILD_TESTS=OFF -DRAROZEZEV_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$sanitizers $extra_flags" >/dev/null
cmake --build "$build_dir" -j2 --target AIResponseParserFuzzer

seeds="$build_dir/fuzz-seeds"
corpus="$build_dir/fuzz-corpus"
artifacts="$build_dir/fuzz-artifacts"
mkdir -p "$seeds" "$corpus" "$artifacts"

body() { # content given as a JSON string literal
  printf '{"id":"chatcmpl-1","object":"chat.completion","choices":[{"index":0,"message":{"role":"assistant","content":%s},"finish_reason":"stop"}]}' "$1"
}
body '"{\"selectedText\":\"run\",\"itemType\":\"word\",\"phonetic\":\"/rʌn/\",\"contextualMeaning\":\"跑\",\"commonMeanings\":[\"经营\",\"运行\"],\"partOfSpeech\":\"verb\",\"collocations\":[\"run a business\"],\"examples\":[\"I run every day.\"],\"translation\":null,\"usageNotes\":[\"口语常用\"],\"suggestedExpressions\":[\"jog\"]}"' >"$seeds/full-word.json"
body '"Here you go:\n```json\n{\"selectedText\":\"look up\",\"itemType\":\"phrase\",\"primaryMeaning\":\"查找\",\"translation\":null,\"example\":\"Look it up.\",\"briefUsageNote\":null}\n```"' >"$seeds/fast-fenced.json"
body '"{\"selectedText\":\"It rains.\",\"itemType\":\"sentence\",\"source\":\"systemDictionary\",\"contextualMeaning\":\"rain | reɪn | ① water ② a fall \\\"}\\\"\",\"examples\":\"Bare string\"}"' >"$seeds/dictionary-escapes.json"
body 'null' >"$seeds/null-content.json"
printf '{"choices":[]}' >"$seeds/empty-choices.json"

cat >"$build_dir/fuzz.dict" <<'DICT'
"{"
"}"
"["
"]"
"\\\""
"```json"
"\"choices\""
"\"message\""
"\"content\""
"\"contextualMeaning\""
"\"primaryMeaning\""
"\"translation\""
"\"commonMeanings\""
"\"examples\""
"\"itemType\""
"\"source\""
"\"systemDictionary\""
" | "
"\xe2\x91\xa0"
"\xc2\xa0"
DICT

log="$build_dir/fuzz.log"
status=0
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1 \
  "$build_dir/fuzz/AIResponseParserFuzzer" "$corpus" "$seeds" \
  -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -dict="$build_dir/fuzz.dict" -artifact_prefix="$artifacts/" -print_final_stats=1 \
  >"$log" 2>&1 || status=$?

executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
crashes=$(find "$artifacts" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
echo "fuzz: ${seconds}s, executions=${executions:-unknown}, crashes=${crashes}, corpus=$(ls "$corpus" | wc -l) inputs"
if [ "$status" -ne 0 ] || [ "$crashes" -ne 0 ]; then
  echo "fuzz: libFuzzer exited with status $status; see $log and $artifacts" >&2
  tail -40 "$log" >&2
  exit 1
fi
