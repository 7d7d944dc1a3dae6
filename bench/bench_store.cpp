// The article store on the sample book: compression ratio of the book
// compiler's minimum-size parse against the classic greedy parse, how fast
// each compresses, and how fast the reader's decoder turns the whole book
// back into text, with memcpy of the same bytes as the ceiling.
//
// Arg 0 is the sample book as linked (263 streams). Arg 1 is a synthetic
// Hebrew-like text of 1 MB made from the book's own words, in 16 KB
// articles, standing in for a book with full-length articles.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "app/app_state.h"
#include "platform/memory.h"
#include "platform/resources.h"
#include "resources/book_resources.h"
#include "store/article_store.h"
#include "store/palmdoc.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Corpus {
    std::vector<Bytes> texts;
    std::size_t total = 0;
};

const Corpus& SampleBook() {
    static const Corpus corpus = [] {
        Corpus c;
        const plat::ResourceTable& table = BookResourceTable();
        for (std::size_t i = 0; i < table.count; ++i) {
            const auto* b = static_cast<const std::uint8_t*>(table.entries[i].data);
            const std::size_t compressed = std::size_t(b[6]) << 8 | b[7];
            const std::size_t length = std::size_t(b[8]) << 8 | b[9];
            Bytes text(length);
            PalmDocDecode(b + 10, compressed, text.data(), length);
            c.total += length;
            c.texts.push_back(std::move(text));
        }
        return c;
    }();
    return corpus;
}

const Corpus& Synthetic() {
    static const Corpus corpus = [] {
        std::vector<Bytes> words;
        Bytes word;
        for (const Bytes& text : SampleBook().texts) {
            for (std::uint8_t c : text) {
                if (IsLetterCode(c)) {
                    word.push_back(c);
                } else {
                    if (word.size() > 1) {
                        words.push_back(word);
                    }
                    word.clear();
                }
            }
        }
        std::mt19937 rng(1);
        Corpus c;
        while (c.total < (1u << 20)) {
            Bytes text;
            while (text.size() < 16000) {
                text.push_back(0xB1);
                text.push_back(0x00);
                const int sentences = 1 + int(rng() % 4);
                for (int s = 0; s < sentences; ++s) {
                    const int n = 5 + int(rng() % 12);
                    for (int k = 0; k < n; ++k) {
                        const Bytes& w = words[rng() % words.size()];
                        text.insert(text.end(), w.begin(), w.end());
                        text.push_back(k + 1 < n ? ' ' : '.');
                    }
                    text.push_back(' ');
                }
                text.push_back(0);
            }
            c.total += text.size();
            c.texts.push_back(std::move(text));
        }
        return c;
    }();
    return corpus;
}

const Corpus& Pick(const benchmark::State& state) { return state.range(0) == 0 ? SampleBook() : Synthetic(); }

template <std::vector<std::uint8_t> (*Compress)(const std::uint8_t*, std::size_t)>
void BM_Compress(benchmark::State& state) {
    const Corpus& corpus = Pick(state);
    std::size_t packed = 0;
    for (auto _ : state) {
        packed = 0;
        for (const Bytes& text : corpus.texts) {
            packed += Compress(text.data(), text.size()).size();
        }
        benchmark::DoNotOptimize(packed);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(corpus.total));
    state.counters["ratio"] = double(packed) / double(corpus.total);
    state.counters["bytes"] = double(corpus.total);
    state.counters["packed"] = double(packed);
}
BENCHMARK_TEMPLATE(BM_Compress, PalmDocCompress)->Name("CompressMinimumSize")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Compress, PalmDocCompressGreedy)->Name("CompressGreedy")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The decoder alone, into buffers made beforehand.
void BM_Decompress(benchmark::State& state) {
    const Corpus& corpus = Pick(state);
    std::vector<Bytes> packed;
    std::vector<Bytes> out;
    for (const Bytes& text : corpus.texts) {
        packed.push_back(PalmDocCompress(text.data(), text.size()));
        out.emplace_back(text.size() + 2);
    }
    for (auto _ : state) {
        for (std::size_t i = 0; i < packed.size(); ++i) {
            benchmark::DoNotOptimize(
                PalmDocDecode(packed[i].data(), packed[i].size(), out[i].data(), corpus.texts[i].size()));
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(corpus.total));
}
BENCHMARK(BM_Decompress)->Name("Decompress")->Arg(0)->Arg(1);

// What the reader does: LoadArticle for every lesson and the index, each a
// new buffer.
void BM_LoadWholeBook(benchmark::State& state) {
    static plat::Module module;
    module = plat::Module{};
    plat::AddResourceTable(&module, BookResourceTable());
    AppState.Instance = &module;
    for (auto _ : state) {
        for (int lesson = 1; lesson <= 262; ++lesson) {
            std::uint8_t* text = LoadArticle(lesson);
            benchmark::DoNotOptimize(text);
            plat::Free(text);
        }
        std::uint8_t* index = LoadArticle(kIndexLesson);
        benchmark::DoNotOptimize(index);
        plat::Free(index);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(SampleBook().total));
}
BENCHMARK(BM_LoadWholeBook)->Name("LoadArticleWholeBook");

// The ceiling: copying the same texts.
void BM_Memcpy(benchmark::State& state) {
    const Corpus& corpus = Pick(state);
    std::vector<Bytes> out;
    for (const Bytes& text : corpus.texts) {
        out.emplace_back(text.size() + 2);
    }
    for (auto _ : state) {
        for (std::size_t i = 0; i < corpus.texts.size(); ++i) {
            std::memcpy(out[i].data(), corpus.texts[i].data(), corpus.texts[i].size());
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(corpus.total));
}
BENCHMARK(BM_Memcpy)->Name("Memcpy")->Arg(0)->Arg(1);

}  // namespace
