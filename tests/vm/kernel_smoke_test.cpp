// The machine itself: the kernel's input layer does what the other tests
// take for granted (a uinput device, a grab that keeps its events from other
// readers, a device that goes away with its creator).
#include <gtest/gtest.h>

#include "tests/vm/input_devices.h"

namespace vantix::vmtest {
namespace {

TEST(KernelInput, GrabbedDeviceDeliversToItsGrabberOnly) {
  std::string error;
  const auto source = SourceDevice::Create({}, error);
  ASSERT_TRUE(source) << error;
  const auto grabber = EventReader::Open(source->Node(), error);
  ASSERT_TRUE(grabber) << error;
  const auto other = EventReader::Open(source->Node(), error);
  ASSERT_TRUE(other) << error;
  EXPECT_EQ(grabber->Name(), "Corvane II Gaming Mouse");

  source->Button(BTN_LEFT, true);
  EXPECT_EQ(WithoutSyn(grabber->Drain(milliseconds(300))), (std::vector<Event>{{EV_KEY, BTN_LEFT, 1}}));
  EXPECT_EQ(WithoutSyn(other->Drain(milliseconds(300))), (std::vector<Event>{{EV_KEY, BTN_LEFT, 1}}));

  ASSERT_TRUE(grabber->Grab());
  source->Button(BTN_LEFT, false);
  source->Move(3, -4);
  const std::vector<Event> expected = {{EV_KEY, BTN_LEFT, 0}, {EV_REL, REL_X, 3}, {EV_REL, REL_Y, -4}};
  EXPECT_EQ(WithoutSyn(grabber->Drain(milliseconds(300))), expected);
  EXPECT_EQ(other->Drain(milliseconds(300)).size(), 0u) << "a grabbed device leaked to another reader";
}

TEST(KernelInput, DeviceGoesAwayWithItsCreator) {
  std::string error;
  SourceDevice::Spec spec;
  spec.name = "Vantix smoke test device";
  auto source = SourceDevice::Create(spec, error);
  ASSERT_TRUE(source) << error;
  ASSERT_TRUE(WaitForDevice("Vantix smoke test device", milliseconds(5000)));
  source.reset();
  EXPECT_TRUE(WaitForNoDevice("Vantix smoke test device", milliseconds(5000)));
}

}  // namespace
}  // namespace vantix::vmtest
