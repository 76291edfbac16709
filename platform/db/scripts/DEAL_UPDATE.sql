-- The deal's header; no row comes back when someone else saved the deal
-- since it was read (its row version moved on).
with upd as (
    update jur.t_deals
       set id_state = :id_state , id_division = :id_division , id_contractor = :id_contractor ,
           id_provider = :id_provider , id_transport_company = :id_transport_company ,
           id_currency = :id_currency , id_request_doc = :id_request_doc ,
           id_payer_for_delivery = :id_payer_for_delivery , c_base = :c_base , c_comment = :c_comment ,
           c_address = :c_address , c_inn = :c_inn , c_contact_person = :c_contact_person ,
           c_phone = :c_phone , c_transport_company = :c_transport_company ,
           c_sending_number = :c_sending_number , d_execution = :d_execution
     where id = :id
       and n_row_version = :n_row_version
    returning *
)
select r.*
  from upd
 cross join lateral jur.deal_row(cast(row(upd.*) as jur.t_deals)) r
