// The views layer; its classes arrive with the features that need them.
namespace views_layer {
extern const int kPlaceholder;
const int kPlaceholder = 0;
}
