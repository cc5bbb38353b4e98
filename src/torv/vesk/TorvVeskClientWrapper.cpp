#include "torv/vesk/TorvVeskClientWrapper.h"

#include <cstring>

#include "stream/data_input_stream.h"
#include "stream/data_output_stream.h"
#include "stream/exceptions.h"
#include "torv/vesk/TorvVeskClient.h"
#include "transport/TorvFuncInputStream.h"

TorvVeskClientWrapper::TorvVeskClientWrapper() { std::memset(lastErrorMessage, 0, sizeof lastErrorMessage); }

// Releasing a handle is no close of the connection: the host is not told.
void TorvVeskClientWrapper::silenceCallbacks() {
  if (dataInputStream == nullptr) return;
  if (auto* callbacks = dynamic_cast<TorvFuncInputStream*>(dataInputStream->getInputStream())) {
    callbacks->abandon();
  }
}

void TorvVeskClientWrapper::releaseSession() {
  if (session == nullptr) return;
  const bool sessionKeepsInput = session->keeps(dataInputStream);
  const bool sessionKeepsOutput = session->keeps(dataOutputStream);
  silenceCallbacks();
  session->release();
  session = nullptr;
  if (sessionKeepsInput) dataInputStream = nullptr;
  if (sessionKeepsOutput) dataOutputStream = nullptr;
}

TorvVeskClientWrapper::~TorvVeskClientWrapper() {
  try {
    releaseSession();
  } catch (CAutoDeleteException* exception) {
    exception->Delete();
  } catch (...) {
  }
  silenceCallbacks();
  delete dataInputStream;
  delete dataOutputStream;
}
