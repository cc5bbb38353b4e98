// SPDX-License-Identifier: Apache-2.0
// A client session decides how the host's raw connection is secured. At each negotiation it
// exchanges attribute lists over the raw data streams and may hand out a secure stream.
// This base keeps the raw streams it is given and releases them with itself.
#pragma once

#include <memory>
#include <string>

#include "attributes/CJTorvAttributeList.h"
#include "stream/data_input_stream.h"
#include "stream/data_output_stream.h"

class TorvVeskClient {
 public:
  TorvVeskClient();
  TorvVeskClient(const TorvVeskClient&) = delete;
  TorvVeskClient& operator=(const TorvVeskClient&) = delete;
  virtual ~TorvVeskClient();

  // Reads the server's list from in into attributes (replacing what it held) and merges it
  // into receivedAttributes(). Returns the secure input stream, or null for none; a stream
  // returned stays the session's.
  virtual CJInputStream* createSecureInputStream(CJDataInputStream* in, CJTorvAttributeList* attributes);
  // Writes attributes to out and merges them into sentAttributes(). Returns the secure output
  // stream, or null for none.
  virtual CJOutputStream* createSecureOutputStream(CJDataOutputStream* out, CJTorvAttributeList* attributes);
  // Destroys the object itself.
  virtual void release();

  void setServerIP(const std::string& serverIP) { serverIP_ = serverIP; }
  void setServerURL(const std::string& serverURL) { serverURL_ = serverURL; }
  const std::string& serverIP() const { return serverIP_; }
  const std::string& serverURL() const { return serverURL_; }

  // Every entry of every list received / sent, merged in arrival order.
  const CJTorvAttributeList& receivedAttributes() const { return receivedAttributes_; }
  const CJTorvAttributeList& sentAttributes() const { return sentAttributes_; }

  // Whether the session has taken over this raw stream and will release it with itself.
  bool keeps(const CJInputStream* stream) const { return stream != nullptr && stream == inputStream_.get(); }
  bool keeps(const CJOutputStream* stream) const { return stream != nullptr && stream == outputStream_.get(); }

 protected:
  CJTorvAttributeList* receivedList() { return &receivedAttributes_; }
  CJTorvAttributeList* sentList() { return &sentAttributes_; }

 private:
  std::string serverIP_;
  std::string serverURL_;
  CJTorvAttributeList receivedAttributes_;
  CJTorvAttributeList sentAttributes_;
  // The raw streams this session took over.
  std::unique_ptr<CJDataInputStream> inputStream_;
  std::unique_ptr<CJDataOutputStream> outputStream_;
};
