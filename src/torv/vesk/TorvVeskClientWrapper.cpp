#include "torv/vesk/TorvVeskClientWrapper.h"

#include <cstring>

#include "stream/data_input_stream.h"
#include "stream/data_output_stream.h"
#include "torv/vesk/TorvVeskClient.h"
#include "transport/TorvFuncInputStream.h"

TorvVeskClientWrapper::TorvVeskClientWrapper() { std::memset(lastErrorMessage, 0, sizeof lastErrorMessage); }

TorvVeskClientWrapper::~TorvVeskClientWrapper() {
  const bool sessionKeepsInput = session != nullptr && session->keeps(dataInputStream);
  const bool sessionKeepsOutput = session != nullptr && session->keeps(dataOutputStream);
  // Releasing the handle is no close of the connection: the host is not told.
  if (dataInputStream != nullptr) {
    if (auto* callbacks = dynamic_cast<TorvFuncInputStream*>(dataInputStream->getInputStream())) {
      callbacks->abandon();
    }
  }
  if (session != nullptr) {
    session->release();
    session = nullptr;
  }
  if (!sessionKeepsInput) delete dataInputStream;
  if (!sessionKeepsOutput) delete dataOutputStream;
  dataInputStream = nullptr;
  dataOutputStream = nullptr;
}
