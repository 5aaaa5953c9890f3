#!/usr/bin/env bash
# Fails when an include crosses the layers the wrong way:
#   core/      the C++ standard library and core/ only
#   rom/       the C++ standard library, the core and itself
#   cli/       the core, rom/ and itself; no framework/, no app/, no Qt
#   framework/ Qt and itself; no core/, cli/ or app/
#   app/       the core, rom/, the framework and itself; no cli/
# Project includes must name their layer ("core/CodeTable.h") and a file that
# exists. The core and rom/ print nothing: what they have to tell goes to an
# observer or a returned value, so they name no standard stream. Usage: scripts/check-layers.sh [ROOT] (default: the repository).
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# The headers of the C++ standard library (C++20), the C ones included.
std_headers=" algorithm any array atomic barrier bit bitset cassert cctype
cerrno cfenv cfloat charconv chrono cinttypes climits clocale cmath codecvt
compare complex concepts condition_variable coroutine csetjmp csignal cstdarg
cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype deque
exception execution filesystem format forward_list fstream functional future
initializer_list iomanip ios iosfwd iostream istream iterator latch limits
list locale map memory memory_resource mutex new numbers numeric optional
ostream queue random ranges ratio regex scoped_allocator semaphore set
shared_mutex source_location span sstream stack stdexcept stop_token
streambuf string string_view syncstream system_error thread tuple type_traits
typeindex typeinfo unordered_map unordered_set utility valarray variant
vector version "
std_headers=" $(echo $std_headers) "

status=0
fail() {
  echo "layer check: $1" >&2
  status=1
}

for layer in core rom cli framework app; do
  [ -d "$layer" ] || continue
  while IFS= read -r -d '' file; do
    lineno=0
    while IFS= read -r line || [ -n "$line" ]; do
      lineno=$((lineno + 1))
      [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*([\"\<])([^\"\>]+)[\"\>] ]] || continue
      kind=${BASH_REMATCH[1]}
      name=${BASH_REMATCH[2]}
      close='"'
      [ "$kind" = '<' ] && close='>'
      where="$file:$lineno: #include $kind$name$close"
      if [ "$kind" = '"' ]; then
        target=${name%%/*}
        if [ "$target" = "$name" ] || [ ! -f "$name" ]; then
          fail "$where: a project include names its layer and an existing file"
          continue
        fi
        case "$layer:$target" in
          core:core | rom:core | rom:rom | cli:core | cli:rom | cli:cli | \
            framework:framework | app:core | app:rom | app:framework | \
            app:app) ;;
          *) fail "$where: $layer/ may not include $target/" ;;
        esac
      else
        case "$layer" in
          core | rom)
            [[ $std_headers == *" $name "* ]] ||
              fail "$where: $layer/ uses the C++ standard library only"
            ;;
          cli)
            [[ $name == Q* ]] && fail "$where: cli/ links the core only, not Qt"
            ;;
        esac
      fi
    done <"$file"
  done < <(find "$layer" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
done
while IFS= read -r hit; do
  fail "$hit: core/ and rom/ write to no standard stream"
done < <(grep -rnE --include='*.h' --include='*.cpp' \
  'std::(cerr|cout|clog)\b|(^|[^n])\b(printf|puts|perror)\(' core rom || true)
exit $status
