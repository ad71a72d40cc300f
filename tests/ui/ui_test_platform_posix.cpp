#include "tests/support/whole_file.h"
#include "tests/ui/ui_test_platform.h"

namespace ondrel::test {

const Qt::ContextMenuPolicy kWindowContextMenu = Qt::ActionsContextMenu;

const char* const kRecordingFinishScript = R"(exchange="${ONDREL_EXCHANGE_DIR}"
bmp="$exchange/sign.bmp"
if [ -f "$bmp" ]; then
  size=$(wc -c < "$bmp" | tr -d ' ')
  announced=$(od -An -tu4 -j2 -N4 "$bmp" | tr -d ' ')
  magic=$(head -c 2 "$bmp")
  if [ "$magic" = BM ] && [ "$size" = "$announced" ]; then complete=yes; else complete=no; fi
else
  complete=missing
fi
{
  echo "count=$#"
  echo "first=$1"
  echo "complete=$complete"
} >> script-runs.txt
)";

std::string RecordedScriptRuns(const std::filesystem::path& site) {
    return ReadWholeFile(site / "script-runs.txt");
}

}  // namespace ondrel::test
