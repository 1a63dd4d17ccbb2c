#include "notify/deliveries.h"

#include <utility>

namespace {

constexpr const char* kOnNotifySignature = "(JLjava/util/ArrayList;)V";

thread_local int t_batches = 0;

}  // namespace

JavaTarget::JavaTarget(JNIEnv* env, jobject receiver) {
    if (env->GetJavaVM(&vm_) != JNI_OK) vm_ = nullptr;
    receiver_ = env->NewGlobalRef(receiver);
    const jclass cls = env->GetObjectClass(receiver);
    onNotify_ = env->GetMethodID(cls, "onNotify", kOnNotifySignature);
    // A failed lookup leaves a NoSuchMethodError pending, which must not
    // reach the caller of Initialize.
    if (env->ExceptionCheck()) {
        env->ExceptionClear();
        onNotify_ = nullptr;
    }
    env->DeleteLocalRef(cls);
}

JavaTarget::~JavaTarget() {
    if (receiver_ == nullptr || vm_ == nullptr) return;
    // The last holder may be a batch on a service thread that is about to
    // detach, or any Java thread; each has (or briefly gets) an environment.
    JNIEnv* env = nullptr;
    if (vm_->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_6) == JNI_OK) {
        env->DeleteGlobalRef(receiver_);
    } else if (vm_->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) == JNI_OK) {
        env->DeleteGlobalRef(receiver_);
        vm_->DetachCurrentThread();
    }
}

bool JavaTarget::isReceiver(JNIEnv* env, jobject object) const {
    return env->IsSameObject(receiver_, object) == JNI_TRUE;
}

DeliveryTicket::~DeliveryTicket() {
    // The receiver may go with the last ticket that holds it: drop it first,
    // while this thread is still attached.
    target_.reset();
    owner_->end(inJava_);
}

bool DeliveryTicket::enterJava() {
    if (inJava_) return true;
    inJava_ = owner_->enterJava();
    return inJava_;
}

void Deliveries::setTarget(JNIEnv* env, jobject receiver) {
    {
        std::lock_guard lock(mutex_);
        if (target_ != nullptr && target_->isReceiver(env, receiver)) return;
    }
    auto target = std::make_shared<const JavaTarget>(env, receiver);
    std::shared_ptr<const JavaTarget> previous;
    {
        std::lock_guard lock(mutex_);
        previous = std::exchange(target_, std::move(target));
    }
    // `previous` is let go here, on this attached thread, unless a batch still holds it.
}

void Deliveries::clearTarget() {
    std::shared_ptr<const JavaTarget> previous;
    std::lock_guard lock(mutex_);
    previous = std::exchange(target_, nullptr);
}

unsigned Deliveries::open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    return ++generation_;
}

void Deliveries::close() {
    std::unique_lock lock(mutex_);
    open_ = false;
    // A batch of this thread (Uninitialize from inside onNotify) is in Java
    // already; only batches still building their list are waited for, and
    // they never wait on Java code.
    changed_.wait(lock, [this] { return preparing_ == 0; });
}

void Deliveries::abandon() {
    std::lock_guard lock(mutex_);
    open_ = false;
}

int Deliveries::active() const {
    std::lock_guard lock(mutex_);
    return active_;
}

bool Deliveries::deliveringOnThisThread() { return t_batches > 0; }

std::unique_ptr<DeliveryTicket> Deliveries::begin(unsigned generation) {
    std::lock_guard lock(mutex_);
    if (!open_ || generation != generation_) return nullptr;
    ++active_;
    ++preparing_;
    ++t_batches;
    return std::make_unique<DeliveryTicket>(*this, target_);
}

bool Deliveries::enterJava() {
    std::lock_guard lock(mutex_);
    if (!open_) return false;  // end() counts the batch as never in Java
    --preparing_;
    changed_.notify_all();
    return true;
}

void Deliveries::end(bool inJava) {
    std::lock_guard lock(mutex_);
    --active_;
    if (!inJava) --preparing_;
    --t_batches;
    changed_.notify_all();
}

Deliveries& vdsDeliveries() {
    static Deliveries* const deliveries = new Deliveries;
    return *deliveries;
}
