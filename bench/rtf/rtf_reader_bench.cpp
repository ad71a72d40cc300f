// Load time of the terms document: our RTF reader beside QTextDocument::setHtml of the same
// document's HTML (what Qt itself needs to build that document: the floor).
#include <benchmark/benchmark.h>

#include <QFile>
#include <QGuiApplication>
#include <QTextDocument>
#include <string>

#include "rtf/rtf_stream_reader.h"

namespace {

// A synthetic agreement of about 200 KB in LibreOffice's manner: Chinese as \uN with
// fallbacks, bold and coloured runs, centred headings and a small table every few articles.
std::string MakeAgreement() {
    std::string rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fcharset134 "
        "SimSun;}}{\\colortbl;\\red192\\green0\\blue0;}\\pard\\qc\\b\\fs40 \\u35775\\'3f\\u23458"
        "\\'3f\\u21327\\'3f\\u35758\\'3f\\b0\\par\n";
    const char* sentence =
        "{\\dbch\\f1 \\u27426\\'3f\\u36814\\'3f\\u24744\\'3f\\u26469\\'3f\\u35775\\'3f\\u26143"
        "\\'3f\\u27827\\'3f\\u31185\\'3f\\u25216\\'3f\\u26377\\'3f\\u38480\\'3f\\u20844\\'3f"
        "\\u21496\\'3f\\u65292\\'2c}{\\loch Visitors sign in at the front desk. }";
    int article = 0;
    while (rtf.size() < 200 * 1024) {
        ++article;
        rtf += "\\pard\\sb120\\sa120\\qc\\b\\fs28 Article " + std::to_string(article) +
               "\\b0\\par\n\\pard\\qj\\sl312\\slmult1\\fs24 ";
        for (int i = 0; i < 4; ++i) {
            rtf += sentence;
        }
        rtf += "{\\b\\cf1 \\u26410\\'3f\\u32463\\'3f\\u35768\\'3f\\u21487\\'3f}\\par\n";
        if (article % 10 == 0) {
            for (int row = 0; row < 3; ++row) {
                rtf +=
                    "\\trowd\\clbrdrt\\brdrs\\cellx2400\\clbrdrt\\brdrs\\cellx4800\\pard\\intbl"
                    " \\u22823\\'3f\\u22530\\'3f\\cell 08:30-18:00\\cell\\row\n";
            }
            rtf += "\\pard\\par\n";
        }
    }
    rtf += "}";
    return rtf;
}

std::string LargestCorpusFile() {
    QString shared = qEnvironmentVariable("ONDREL_SHARED_DIR");
    if (shared.isEmpty()) {
        shared = QStringLiteral(ONDREL_SOURCE_DIR "/../shared");
    }
    QFile file(shared + QStringLiteral("/testdata/rtf/lo-html-long-zh.rtf"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll().toStdString();
}

void ReadRtf(const std::string& rtf, QTextDocument* document) {
    ondrel::RtfStreamReader reader(document);
    constexpr std::size_t kChunk = 4096;  // as a stream-in callback hands it over
    for (std::size_t pos = 0; pos < rtf.size(); pos += kChunk) {
        reader.Feed(rtf.data() + pos, std::min(kChunk, rtf.size() - pos));
    }
    reader.Finish();
}

void RunRtf(benchmark::State& state, const std::string& rtf) {
    if (rtf.empty()) {
        state.SkipWithError("RTF corpus not found");
        return;
    }
    for (auto _ : state) {
        QTextDocument document;
        ReadRtf(rtf, &document);
        benchmark::DoNotOptimize(document.characterCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rtf.size()));
}

void RunHtml(benchmark::State& state, const std::string& rtf) {
    if (rtf.empty()) {
        state.SkipWithError("RTF corpus not found");
        return;
    }
    QTextDocument source;
    ReadRtf(rtf, &source);
    const QString html = source.toHtml();
    for (auto _ : state) {
        QTextDocument document;
        document.setHtml(html);
        benchmark::DoNotOptimize(document.characterCount());
    }
    state.counters["html_kb"] = static_cast<double>(html.toUtf8().size()) / 1024.0;
}

void BM_Agreement200K_Rtf(benchmark::State& state) {
    static const std::string rtf = MakeAgreement();
    RunRtf(state, rtf);
}
void BM_Agreement200K_SetHtml(benchmark::State& state) {
    static const std::string rtf = MakeAgreement();
    RunHtml(state, rtf);
}
void BM_LargestCorpusFile_Rtf(benchmark::State& state) {
    static const std::string rtf = LargestCorpusFile();
    RunRtf(state, rtf);
}
void BM_LargestCorpusFile_SetHtml(benchmark::State& state) {
    static const std::string rtf = LargestCorpusFile();
    RunHtml(state, rtf);
}

BENCHMARK(BM_Agreement200K_Rtf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Agreement200K_SetHtml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LargestCorpusFile_Rtf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LargestCorpusFile_SetHtml)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
