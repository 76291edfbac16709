-- A new deal. The server numbers it, stamps its creator and creation time,
-- starts it in the first state and in the first currency unless given, and
-- returns the stored row in the list's shape.
with ins as (
    insert into jur.t_deals (id_state, id_division, id_contractor, id_provider, id_transport_company,
                             id_currency, id_request_doc, id_payer_for_delivery, c_base, c_comment,
                             c_address, c_inn, c_contact_person, c_phone, c_transport_company,
                             c_sending_number, d_execution)
    values (coalesce( :id_state , (select s.id from jur.t_deal_state s order by s.n_order limit 1)),
            coalesce( :id_division , (select v.id from sys.t_division v where v.b_default and not v.b_is_del limit 1)),
            :id_contractor , :id_provider , :id_transport_company ,
            coalesce( :id_currency , (select c.id from dirs.t_currency c order by c.n_order limit 1)),
            :id_request_doc , :id_payer_for_delivery , :c_base , :c_comment ,
            :c_address , :c_inn , :c_contact_person , :c_phone , :c_transport_company ,
            :c_sending_number , :d_execution )
    returning *
)
select r.*
  from ins
 cross join lateral jur.deal_row(cast(row(ins.*) as jur.t_deals)) r
