// Lists kept with their tail: appending keeps the order of addition and walks nothing. Each list
// is empty exactly when its head is null.
#pragma once

template <class Node>
void appendAtTail(Node** first, Node** last, Node* node) {
  node->next = nullptr;
  if (*first == nullptr)
    *first = node;
  else
    (*last)->next = node;
  *last = node;
}
