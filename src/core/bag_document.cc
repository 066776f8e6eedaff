#include "core/bag_document.h"

namespace velmora::bag {
namespace {

// The stream of the last document a thread was done with, kept for the
// next: a program that writes its settings again and again then writes
// into memory it already has instead of faulting in fresh pages each time.
// Streams above kSpareLimit are given back.
constexpr std::size_t kSpareLimit = 16 << 20;
thread_local bytes::Writer tlSpareStream;

}  // namespace

Document::Document() { stream.takeBufferOf(tlSpareStream); }

Document::~Document() {
  if (stream.capacity() <= kSpareLimit && stream.capacity() > tlSpareStream.capacity()) {
    tlSpareStream.takeBufferOf(stream);
  }
}

void Document::ownLoaded() {
  if (!borrowed) return;
  blob.assign(loaded.begin(), loaded.end());
  names.rebase(loaded, blob.data());
  loaded = blob;
  borrowed = false;
}

}  // namespace velmora::bag
