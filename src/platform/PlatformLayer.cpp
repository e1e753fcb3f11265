// The platform layer; its classes arrive with the features that need them.
namespace platform_layer {
extern const int kPlaceholder;
const int kPlaceholder = 0;
}
