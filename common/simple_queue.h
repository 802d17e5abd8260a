// A fixed-size circular array of node pointers, used as a FIFO queue
// (put/get) or as a stack (put/pop/top).
#pragma once

#include <cstdint>
#include <new>

// Invariants: 0 <= head, tail < size; the entries are the slots from head up
// to (not including) tail, going round; empty exactly when head == tail, so
// at most size − 1 entries fit. There is no fullness test: every user keeps
// within size − 1 entries (the drivers make every queue with n + 1 slots).
template <class Node>
class simpleQueue {
 public:
  simpleQueue() = default;
  explicit simpleQueue(long size) { allocate(size); }
  ~simpleQueue() { delete[] slots; }
  simpleQueue(const simpleQueue&) = delete;
  simpleQueue& operator=(const simpleQueue&) = delete;

  // Makes `size` empty slots, dropping any earlier ones; false when the
  // memory cannot be obtained.
  bool allocate(long size) {
    delete[] slots;
    slots = new (std::nothrow) Node*[size];
    this->size = static_cast<int32_t>(size);
    head = tail = 0;
    return slots != nullptr;
  }
  bool allocated() const { return slots != nullptr; }

  void reset() { head = tail = 0; }
  bool isEmpty() const { return head == tail; }
  void put(Node* x) {
    slots[tail] = x;
    tail = (tail + 1) % size;
  }
  Node* get() {
    Node* x = slots[head];
    head = (head + 1) % size;
    return x;
  }
  Node* pop() {
    tail = (tail + size - 1) % size;
    return slots[tail];
  }
  Node* top() const { return slots[(tail + size - 1) % size]; }

 private:
  Node** slots = nullptr;
  int32_t size = 0;
  int32_t head = 0;  // the oldest entry, the next one get() returns
  int32_t tail = 0;  // the slot the next put() writes
};
