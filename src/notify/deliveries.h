// Who receives notifications in Java, and whether a batch may still reach it.
//
// The Java receiver and its onNotify id are set together and replaced
// together; a batch takes both when it starts and keeps them alive until it
// ends, so a receiver swapped mid-batch is never called with another class's
// method id, nor after its global reference is gone. Closing stops new
// batches at once and, before it returns, lets no batch still on its way
// into Java get there.
#pragma once

#include <jni.h>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/vds_types.h"

// One Java receiver: a global reference and onNotify looked up on its own class.
class JavaTarget {
public:
    JavaTarget(JNIEnv* env, jobject receiver);
    ~JavaTarget();
    JavaTarget(const JavaTarget&) = delete;
    JavaTarget& operator=(const JavaTarget&) = delete;

    jobject receiver() const { return receiver_; }
    // Null when the receiver's class has no onNotify "(JLjava/util/ArrayList;)V".
    jmethodID onNotify() const { return onNotify_; }
    bool isReceiver(JNIEnv* env, jobject object) const;

private:
    JavaVM* vm_ = nullptr;
    jobject receiver_ = nullptr;
    jmethodID onNotify_ = nullptr;
};

class Deliveries;

// One batch on its way to Java; ends when destroyed.
class DeliveryTicket {
public:
    DeliveryTicket(Deliveries& owner, std::shared_ptr<const JavaTarget> target)
        : owner_(&owner), target_(std::move(target)) {}
    ~DeliveryTicket();
    DeliveryTicket(const DeliveryTicket&) = delete;
    DeliveryTicket& operator=(const DeliveryTicket&) = delete;

    // Null when no Java receiver was set when the batch started.
    const JavaTarget* target() const { return target_.get(); }
    // The last word before onNotify is called: false once the connection
    // has closed, and the batch must then not reach Java.
    bool enterJava();

private:
    Deliveries* owner_;
    std::shared_ptr<const JavaTarget> target_;
    bool inJava_ = false;
};

class Deliveries {
public:
    // Replaces the receiver; the old one lives on in the batches that hold it.
    void setTarget(JNIEnv* env, jobject receiver);
    void clearTarget();

    // Starts accepting batches from the sink of a new connection, named by
    // the returned generation.
    unsigned open();
    // Stops accepting batches and waits for those still on their way into
    // Java, so that no onNotify starts after the call.
    void close();
    // Stops accepting batches without waiting for anything (process exit).
    void abandon();
    // Batches started and not yet ended.
    int active() const;
    // True on a thread that is delivering a batch (inside onNotify, say).
    static bool deliveringOnThisThread();

    // A batch from the sink of `generation`; null when that connection is closed.
    std::unique_ptr<DeliveryTicket> begin(unsigned generation);

private:
    friend class DeliveryTicket;
    bool enterJava();
    void end(bool inJava);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::shared_ptr<const JavaTarget> target_;
    unsigned generation_ = 0;
    bool open_ = false;
    int active_ = 0;
    // Batches that have started and not yet entered Java.
    int preparing_ = 0;
};

// The process's one set of deliveries, shared by the connection, the sink
// and the Java natives. Never destroyed: a batch may still be running at exit.
Deliveries& vdsDeliveries();
