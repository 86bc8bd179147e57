#include "zip/parallel_deflate.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace qeb::zip {
namespace {

constexpr size_t kMaxBlockSize = size_t{64} << 20;
// Eight workers deflate faster than most disks read, and the memory grows
// with every worker.
constexpr unsigned kMaxDefaultWorkers = 8;

// One block on its way: read by the calling thread, compressed by a worker,
// written by the calling thread. `done` is guarded by the pool's mutex.
struct Block {
  explicit Block(size_t capacity)
      : data(std::make_unique_for_overwrite<uint8_t[]>(capacity)),
        dictionary(std::make_unique_for_overwrite<uint8_t[]>(kDeflateWindow)) {}

  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
  bool last = false;
  std::unique_ptr<uint8_t[]> dictionary;  // the end of the block before
  size_t dictionary_size = 0;
  BlockOutput output;
  uint32_t crc32 = 0;
  std::exception_ptr failure;  // rethrown by the calling thread
  bool done = false;
};

// Compresses the block with the worker's deflater, made on first use.
void CompressBlock(std::optional<BlockDeflater>& deflater, Block& block) noexcept {
  try {
    block.failure = nullptr;
    if (!deflater) deflater.emplace();
    block.crc32 = ContinueCrc32(0, {block.data.get(), block.size});
    block.output.Clear();
    deflater->Compress({block.dictionary.get(), block.dictionary_size},
                       {block.data.get(), block.size}, block.last, block.output);
  } catch (...) {
    block.failure = std::current_exception();
  }
}

// Threads that compress the blocks handed to them, oldest first. Without
// threads (none wanted, or the system would start none) the calling thread
// compresses each block as it is handed over. The destructor stops and joins
// every thread; blocks still queued are left as they are.
class WorkerPool {
 public:
  explicit WorkerPool(unsigned wanted) {
    threads_.reserve(wanted);
    for (unsigned i = 0; i < wanted; ++i) {
      try {
        threads_.emplace_back([this] { Work(); });
      } catch (const std::exception&) {
        break;  // the system would start no more: go on with those running
      }
    }
  }

  ~WorkerPool() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    work_ready_.notify_all();
    for (std::thread& thread : threads_) thread.join();
  }

  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  void Submit(Block& block) {
    if (threads_.empty()) {
      CompressBlock(own_deflater_, block);
      block.done = true;
      return;
    }
    {
      std::lock_guard lock(mutex_);
      block.done = false;
      queue_.push_back(&block);
    }
    work_ready_.notify_one();
  }

  void WaitUntilDone(const Block& block) {
    std::unique_lock lock(mutex_);
    block_done_.wait(lock, [&] { return block.done; });
  }

 private:
  void Work() {
    std::optional<BlockDeflater> deflater;
    for (;;) {
      Block* block = nullptr;
      {
        std::unique_lock lock(mutex_);
        work_ready_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        block = queue_.front();
        queue_.pop_front();
      }
      CompressBlock(deflater, *block);
      {
        std::lock_guard lock(mutex_);
        block->done = true;
      }
      block_done_.notify_one();
    }
  }

  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::condition_variable block_done_;
  std::deque<Block*> queue_;
  bool stopping_ = false;
  std::optional<BlockDeflater> own_deflater_;
  std::vector<std::thread> threads_;
};

unsigned WorkerCount(const ParallelDeflateOptions& options) {
  if (options.workers != 0) return options.workers;
  return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxDefaultWorkers);
}

// Fills the block from the source; a block that is not filled is the last.
void ReadBlock(EntrySource& source, Block& block, size_t block_size) {
  block.size = 0;
  while (block.size < block_size) {
    const size_t got = source.Read(block.data.get() + block.size, block_size - block.size);
    if (got == 0) break;
    block.size += got;
  }
  block.last = block.size < block_size;
}

// The block before is full (only the last block is not), so it holds a whole
// window.
void TakeDictionaryFrom(const Block& before, Block& block) {
  std::memcpy(block.dictionary.get(), before.data.get() + before.size - kDeflateWindow,
              kDeflateWindow);
  block.dictionary_size = kDeflateWindow;
}

}  // namespace

StreamedData DeflateInParallel(EntrySource& source, ByteSink& sink,
                               const ParallelDeflateOptions& options) {
  const size_t block_size = std::clamp(options.block_size, kDeflateWindow, kMaxBlockSize);
  const unsigned workers = WorkerCount(options);
  const size_t in_flight = options.blocks_in_flight != 0 ? options.blocks_in_flight : workers + 2;
  // Slots for the blocks in flight, made as they are first needed; block n
  // lives in slot n % size, so the block before is still there when block n
  // takes its dictionary from it.
  std::vector<std::unique_ptr<Block>> slots(std::max<size_t>(2, in_flight));
  StreamedData data;

  slots[0] = std::make_unique<Block>(block_size);
  ReadBlock(source, *slots[0], block_size);
  CountRaw(data, slots[0]->size, options.size_limit);
  // Declared after the slots: the threads are joined before the blocks go.
  WorkerPool pool(slots[0]->last ? 0 : workers);
  pool.Submit(*slots[0]);

  uint64_t read = 1;
  uint64_t written = 0;
  bool more = !slots[0]->last;
  while (written < read) {
    if (more && read - written < slots.size()) {
      std::unique_ptr<Block>& slot = slots[read % slots.size()];
      if (!slot) slot = std::make_unique<Block>(block_size);
      ReadBlock(source, *slot, block_size);
      CountRaw(data, slot->size, options.size_limit);
      TakeDictionaryFrom(*slots[(read - 1) % slots.size()], *slot);
      pool.Submit(*slot);
      more = !slot->last;
      ++read;
      continue;
    }
    Block& block = *slots[written % slots.size()];
    pool.WaitUntilDone(block);
    if (block.failure) std::rethrow_exception(block.failure);
    sink.Write(block.output.data(), block.output.size());
    data.stored_size += block.output.size();
    data.crc32 = CombineCrc32(data.crc32, block.crc32, block.size);
    ++written;
  }
  return data;
}

}  // namespace qeb::zip
