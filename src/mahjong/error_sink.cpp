#include "mahjong/error_sink.h"

#include <cstdio>

namespace mahjong {
namespace {

class TStderrSink : public TErrorSink {
public:
    void report(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

TStderrSink g_defaultSink;
TErrorSink* g_sink = &g_defaultSink;

}  // namespace

void setErrorSink(TErrorSink* sink) { g_sink = sink ? sink : &g_defaultSink; }

TErrorSink& errorSink() { return *g_sink; }

TScopedErrorSink::TScopedErrorSink(TErrorSink& sink) : previous_(g_sink) { g_sink = &sink; }

TScopedErrorSink::~TScopedErrorSink() { g_sink = previous_; }

}  // namespace mahjong
